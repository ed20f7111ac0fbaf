#!/bin/sh
# Builds the net fuzzers with clang and runs each for a share of SECONDS (default 20).
# Usage: tests/fuzz/net/run.sh [SECONDS]
set -u
seconds=${1:-20}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
out="$root/build/fuzz-net"
mkdir -p "$out"

sources="$root/net/CookieDate.cpp $root/net/CookieJar.cpp $root/net/HttpRequest.cpp \
$root/net/HttpUrl.cpp $root/net/TIdHTTP.cpp"
flags="-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I$root"

share=$((seconds / 2))
[ "$share" -ge 1 ] || share=1
status=0
for target in response_reader cookie_jar; do
    case $target in
        response_reader) source=FuzzResponseReader.cpp ;;
        cookie_jar) source=FuzzCookieJar.cpp ;;
    esac
    echo "net fuzz: building $target"
    # shellcheck disable=SC2086
    if ! clang++ $flags "$here/$source" $sources -o "$out/$target"; then
        echo "net fuzz: FAIL ($target does not build)"
        exit 1
    fi
    corpus="$out/corpus-$target"
    mkdir -p "$corpus"
    echo "net fuzz: running $target for ${share}s"
    if "$out/$target" -max_total_time="$share" -dict="$here/http.dict" \
        -artifact_prefix="$out/$target-" "$corpus" "$here/seeds/$target" \
        >"$out/$target.log" 2>&1; then
        echo "net fuzz: $target passed ($(grep -c . "$out/$target.log") log lines)"
    else
        echo "net fuzz: $target FAILED, see $out/$target.log"
        tail -n 30 "$out/$target.log"
        status=1
    fi
done
if [ "$status" -eq 0 ]; then
    echo "net fuzz: PASS"
else
    echo "net fuzz: FAIL"
fi
exit "$status"
