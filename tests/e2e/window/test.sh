#!/bin/bash
# The main window of the win64 build under Wine on a virtual display: its size and place, its
# shape (the desktop shows through the picture's fuchsia margin and corners), the picture with
# its white bottom band, the skinned "Başlat" button, moving the window by its bare picture and
# not by the button or the margin, and a close request from the system ending it with exit code 0.
# Usage: test.sh WIN64_BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 WIN64_BUILD_DIR" >&2
    exit 2
fi
exe="$(cd "$1" && pwd)/app/KolveraKurulum.exe"
if [[ ! -f $exe ]]; then
    echo "missing $exe: build the win64 preset first" >&2
    exit 2
fi
source "$(dirname "$0")/../lib/wine-desktop.sh"

WINDOW_NAME='^Kolvera Database 2008 Kurulum$'
WINDOW_SIZE='532 341'
BUTTON_LEFT=432
BUTTON_TOP=280
BUTTON_WIDTH=75
BUTTON_HEIGHT=25
BUTTON_BORDER_RGB='0,60,116'
WHITE_RGB='255,255,255'
MAROON_RGB='101,0,0'

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() {
    echo "ok: $*"
}

e2e_begin
e2e_prefix
e2e_start_display
e2e_start_exe "$exe"
window=$(e2e_wait_window "$WINDOW_NAME")

read -r left top width height < <(e2e_window_position "$window")
read -r screen_width screen_height < <(tr x ' ' <<<"$E2E_SCREEN_SIZE")
if [[ "$width $height" == "$WINDOW_SIZE" ]]; then
    pass "the window is $WINDOW_SIZE"
else
    fail "the window is $width x $height, not $WINDOW_SIZE"
fi
expected_left=$(((screen_width - width) / 2))
expected_top=$(((screen_height - height) / 2))
if [[ "$left $top" == "$expected_left $expected_top" ]]; then
    pass "the window is centred on the desktop"
else
    fail "the window is at $left,$top, not centred at $expected_left,$expected_top"
fi

# --- The window at rest, as drawn --------------------------------------------------------------

shot=$E2E_TMP/rest.png
# The first paint follows the mapping closely; a drawn button shows that it has happened.
button_drawn() {
    e2e_screenshot "$shot" &&
        [[ $(e2e_pixel "$shot" $((left + BUTTON_LEFT + BUTTON_WIDTH / 2)) $((top + BUTTON_TOP))) == \
            "$BUTTON_BORDER_RGB" ]]
}
e2e_wait_until 10 button_drawn || true

# Points of the window, what they must show, and why.
samples=(
    "2 2 $E2E_DESKTOP_RGB fuchsia margin, top left"
    "266 3 $E2E_DESKTOP_RGB fuchsia margin, top"
    "3 170 $E2E_DESKTOP_RGB fuchsia margin, left"
    "529 338 $E2E_DESKTOP_RGB fuchsia margin, bottom right"
    "7 9 $E2E_DESKTOP_RGB rounded corner, top left"
    "520 9 $E2E_DESKTOP_RGB rounded corner, top right"
    "7 330 $E2E_DESKTOP_RGB rounded corner, bottom left"
    "520 330 $E2E_DESKTOP_RGB rounded corner, bottom right"
    "300 60 $WHITE_RGB header band"
    "40 100 $MAROON_RGB maroon band"
    "30 250 $WHITE_RGB bottom band, left"
    "200 300 $WHITE_RGB bottom band, middle"
    "400 320 $WHITE_RGB bottom band, under the button"
    "$((BUTTON_LEFT + BUTTON_WIDTH / 2)) $BUTTON_TOP $BUTTON_BORDER_RGB button border, top"
    "$((BUTTON_LEFT + BUTTON_WIDTH / 2)) $((BUTTON_TOP + BUTTON_HEIGHT - 1)) $BUTTON_BORDER_RGB button border, bottom"
    "$BUTTON_LEFT $((BUTTON_TOP + BUTTON_HEIGHT / 2)) $BUTTON_BORDER_RGB button border, left"
    "$((BUTTON_LEFT + BUTTON_WIDTH - 1)) $((BUTTON_TOP + BUTTON_HEIGHT / 2)) $BUTTON_BORDER_RGB button border, right"
)
for sample in "${samples[@]}"; do
    read -r x y expected what <<<"$sample"
    actual=$(e2e_pixel "$shot" $((left + x)) $((top + y)))
    if [[ $actual == "$expected" ]]; then
        pass "($x, $y) $what: $actual"
    else
        fail "($x, $y) $what: $actual, expected $expected"
    fi
done

# The caption: dark text inside the button's face, nothing dark on the face outside it.
darkest() {
    convert "$shot" -crop "$1x$2+$((left + $3))+$((top + $4))" +repage -colorspace Gray \
        -format '%[fx:int(255*minima)]' info:
}
caption_darkest=$(darkest 45 13 $((BUTTON_LEFT + 15)) $((BUTTON_TOP + 6)))
face_darkest=$(darkest 8 13 $((BUTTON_LEFT + 4)) $((BUTTON_TOP + 6)))
if ((caption_darkest < 100 && face_darkest > 180)); then
    pass "the caption is drawn in the middle of the button (darkest $caption_darkest, face $face_darkest)"
else
    fail "no caption in the middle of the button: darkest $caption_darkest there, $face_darkest on the face"
fi

# --- Moving --------------------------------------------------------------------------------------

# Three drags in a row: from the fuchsia margin (which is not part of the window), from the button
# and from bare picture. Only the last may move the window; once it has, the earlier two have
# been handled too.
e2e_drag $((left + 2)) $((top + 2)) 25 15
e2e_drag $((left + BUTTON_LEFT + BUTTON_WIDTH / 2)) $((top + BUTTON_TOP + BUTTON_HEIGHT / 2)) -30 40
e2e_drag $((left + 200)) $((top + 150)) 40 30
moved_left=$((left + 40))
moved_top=$((top + 30))
window_moved() {
    read -r left_now top_now _ < <(e2e_window_position "$window")
    [[ "$left_now $top_now" == "$moved_left $moved_top" ]]
}
if e2e_wait_until 10 window_moved; then
    pass "a drag on bare picture moves the window; a drag from the margin or the button does not"
else
    read -r left_now top_now _ < <(e2e_window_position "$window")
    fail "after the three drags the window is at $left_now,$top_now, expected $moved_left,$moved_top (from $left,$top)"
fi

# --- Closing ---------------------------------------------------------------------------------------

e2e_close_request KolveraKurulum.exe || true
if e2e_wait_exit 20; then
    if [[ $E2E_EXIT_CODE == 0 ]]; then
        pass "a close request ends the program with exit code 0"
    else
        fail "after a close request the program exited with $E2E_EXIT_CODE"
    fi
else
    fail "the program did not end after a close request"
fi

if ((failures != 0)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all window checks passed"
