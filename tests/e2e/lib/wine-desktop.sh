# Shell helpers for the tests that run the win64 build under Wine on a virtual X display.
# Source this file, call e2e_begin once, then e2e_prefix and e2e_start_display before running a
# program. Everything started here is stopped by the EXIT trap that e2e_begin installs, and every
# wait has a deadline.
#
#   KOLVERA_E2E_PREFIX  a Wine prefix folder to use (made there when empty) instead of a fresh
#                       one per run; it is kept afterwards.

E2E_WINE=/usr/lib/wine/wine64
E2E_WINESERVER=/usr/lib/wine/wineserver
E2E_SCREEN_SIZE=1024x768
# The desktop colour shows wherever a window is shaped away.
E2E_DESKTOP_COLOR='#3a6ea5'
E2E_DESKTOP_RGB='58,110,165'

E2E_TMP=
E2E_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_XVFB_PID=
E2E_DESKTOP_PID=
E2E_EXE_PID=
E2E_EXIT_CODE=

# e2e_begin: a scratch folder in E2E_TMP and the trap that cleans up after the test.
e2e_begin() {
    E2E_TMP=$(mktemp -d)
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

e2e_cleanup() {
    if [[ -n $E2E_EXE_PID ]] && kill -0 "$E2E_EXE_PID" 2>/dev/null; then
        kill "$E2E_EXE_PID" 2>/dev/null || true
    fi
    if [[ -n ${WINEPREFIX:-} ]]; then
        "$E2E_WINESERVER" -k 2>/dev/null || true
    fi
    if [[ -n $E2E_DESKTOP_PID ]]; then
        kill "$E2E_DESKTOP_PID" 2>/dev/null || true
    fi
    if [[ -n $E2E_XVFB_PID ]]; then
        kill "$E2E_XVFB_PID" 2>/dev/null || true
        wait "$E2E_XVFB_PID" 2>/dev/null || true
    fi
    if [[ -n $E2E_TMP ]]; then
        rm -rf "$E2E_TMP"
    fi
}

# e2e_wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds;
# fails when SECONDS have passed first.
e2e_wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        if ((SECONDS >= deadline)); then
            return 1
        fi
        sleep 0.1
    done
}

# e2e_prefix: a 64-bit Wine prefix in WINEPREFIX, with its server kept running for the test.
e2e_prefix() {
    export WINEARCH=win64 WINEDEBUG=-all
    # No Mono or Gecko: a fresh prefix would otherwise try to install them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX=${KOLVERA_E2E_PREFIX:-$E2E_TMP/prefix}
    mkdir -p "$WINEPREFIX"
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        # Without a display, so that no set-up window appears. On a 64-bit-only Wine it
        # complains about syswow64\rundll32.exe, which does no harm.
        DISPLAY= timeout 120 "$E2E_WINE" wineboot -i >/dev/null 2>&1 || {
            echo "wineboot could not make the prefix $WINEPREFIX" >&2
            return 1
        }
        # The desktop process wineboot left behind has no display driver, and every window
        # made while it lives would fail; end it with its server.
        "$E2E_WINESERVER" -k 2>/dev/null || true
        "$E2E_WINESERVER" -w
    fi
    "$E2E_WINESERVER" -p
}

e2e_display_ready() {
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1
}

# e2e_start_display: Xvfb on a free display in DISPLAY, its root in the desktop colour.
e2e_start_display() {
    local number_file=$E2E_TMP/display
    : >"$number_file"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN_SIZE}x24" -nolisten tcp 3>"$number_file" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    if ! e2e_wait_until 10 test -s "$number_file"; then
        echo "Xvfb chose no display" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$number_file")"
    if ! e2e_wait_until 10 e2e_display_ready; then
        echo "Xvfb on $DISPLAY accepts no connection" >&2
        return 1
    fi
    e2e_paint_desktop
}

e2e_desktop_painted() {
    import -window root -crop 1x1+0+0 "$E2E_TMP/root.png" &&
        [[ $(e2e_pixel "$E2E_TMP/root.png" 0 0) == "$E2E_DESKTOP_RGB" ]]
}

# A window in the desktop colour under everything: the root window of this Xvfb keeps its black
# whatever background it is given (xsetroot included).
e2e_paint_desktop() {
    "$E2E_LIB/desktop.py" "${E2E_DESKTOP_COLOR#'#'}" >"$E2E_TMP/desktop.log" 2>&1 &
    E2E_DESKTOP_PID=$!
    if ! e2e_wait_until 10 e2e_desktop_painted; then
        echo "the desktop of $DISPLAY did not take its colour" >&2
        return 1
    fi
}

# e2e_start_exe EXE [ARGUMENT...]: runs the program in the background; its output goes to
# $E2E_TMP/exe.log.
e2e_start_exe() {
    "$E2E_WINE" "$@" >"$E2E_TMP/exe.log" 2>&1 &
    E2E_EXE_PID=$!
}

e2e_find_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .
}

# e2e_wait_window NAME_REGEX [SECONDS]: prints the id of the visible X window so named.
e2e_wait_window() {
    local name=$1 seconds=${2:-30}
    if ! e2e_wait_until "$seconds" e2e_find_window "$name" >/dev/null; then
        echo "no visible window named $name within $seconds s; the program said:" >&2
        tail -n 20 "$E2E_TMP/exe.log" >&2
        return 1
    fi
    e2e_find_window "$name"
}

# e2e_window_position WINDOW: prints "X Y WIDTH HEIGHT" of the window on the screen.
e2e_window_position() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "$X $Y $WIDTH $HEIGHT"
}

# e2e_screenshot FILE: the whole screen as a PNG.
e2e_screenshot() {
    import -window root "$1"
}

# e2e_pixel FILE X Y: prints "R,G,B" of one pixel of a picture.
e2e_pixel() {
    convert "$1[1x1+$2+$3]" -format '%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]' \
        info:
    echo
}

# e2e_drag X Y DX DY: a left press at a screen point, a move by (DX, DY) in steps, a release.
e2e_drag() {
    local x=$1 y=$2 dx=$3 dy=$4 step
    xdotool mousemove "$x" "$y" mousedown 1
    for step in 1 2 3 4; do
        xdotool mousemove "$((x + dx * step / 4))" "$((y + dy * step / 4))"
    done
    xdotool mouseup 1
}

# e2e_close_request IMAGE_NAME: asks every top-level window of the program to close, as the
# system does (WM_CLOSE, no forced end).
e2e_close_request() {
    "$E2E_WINE" taskkill /IM "$1" >/dev/null 2>&1
}

e2e_exe_ended() {
    ! kill -0 "$E2E_EXE_PID" 2>/dev/null
}

# e2e_wait_exit [SECONDS]: waits for the program to end and sets E2E_EXIT_CODE to its exit
# code. Call it directly, not in $(...): only this shell can collect its child.
e2e_wait_exit() {
    local seconds=${1:-30}
    if ! e2e_wait_until "$seconds" e2e_exe_ended; then
        echo "the program was still running after $seconds s" >&2
        return 1
    fi
    E2E_EXIT_CODE=0
    wait "$E2E_EXE_PID" || E2E_EXIT_CODE=$?
    E2E_EXE_PID=
}
