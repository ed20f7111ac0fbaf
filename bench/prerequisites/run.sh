#!/usr/bin/env bash
# Prints the wizard's processor time while it waits 10 s for an installer, under Wine, in a
# fresh prefix: first RunAndWait, then a wait that polls without pause, for comparison. Under
# Wine each poll is a round trip to the wineserver, so its processor time is printed too.
# Usage: bench/prerequisites/run.sh [win64 build folder]   (default: build/win64)
set -euo pipefail

# Wine needs a display for the application's window.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build/win64}" && pwd)
programs="$build/bench/prerequisites"
for exe in RunAndWaitBench.exe RunAndWaitSleeper.exe; do
    if [ ! -f "$programs/$exe" ]; then
        echo "missing $programs/$exe: build the win64 preset first" >&2
        exit 1
    fi
done

wine=/usr/lib/wine/wine64
prefix=$(mktemp -d)
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all

# The wineserver of this prefix, kept running across both measurements.
wineserver_pid() {
    local dir
    for dir in /proc/[0-9]*; do
        if tr '\0' ' ' <"$dir/cmdline" 2>/dev/null | grep -q wineserver &&
            tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
            basename "$dir"
            return
        fi
    done
}

# User plus system time of a process, in seconds.
processor_seconds() {
    awk -v hz="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / hz }' "/proc/$1/stat"
}

/usr/lib/wine/wineserver -p
"$wine" wineboot -i >/dev/null 2>&1 || true
server=$(wineserver_pid)
for mode in wait spin; do
    echo "--- $mode"
    before=$(processor_seconds "$server")
    "$wine" "$programs/RunAndWaitBench.exe" "$mode" | tr -d '\r'
    after=$(processor_seconds "$server")
    echo "wineserver processor time, whole run: $(awk -v a="$after" -v b="$before" 'BEGIN { printf "%.3f", a - b }') s"
done
