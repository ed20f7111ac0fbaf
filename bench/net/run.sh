#!/bin/sh
# Downloads 256 MiB and 1 GiB from a loopback server with TIdHTTP, and 1 GiB with curl, and
# prints throughput and the client's peak memory. Not a test: it prints figures.
# Usage: bench/net/run.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/build/bench-net"
mkdir -p "$out"

command -v curl >/dev/null || { echo "bench: curl is missing (apt-get install curl)"; exit 1; }

echo "bench: building"
g++ -std=c++20 -O2 -DNDEBUG -I"$root" "$here/NetBench.cpp" "$root"/net/*.cpp -o "$out/net_bench"

portfile="$out/port"
rm -f "$portfile"
"$out/net_bench" serve "$portfile" &
server=$!
trap 'kill "$server" 2>/dev/null' EXIT INT TERM
tries=0
until [ -s "$portfile" ]; do
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || { echo "bench: server did not start"; exit 1; }
    sleep 0.1
done
base="http://127.0.0.1:$(cat "$portfile")/bytes"

mib=1048576
for size in $((256 * mib)) $((1024 * mib)); do
    printf 'TIdHTTP %5d MiB: ' $((size / mib))
    "$out/net_bench" get "$base/$size"
done
printf 'curl    %5d MiB: ' 1024
curl -s -o /dev/null -w '%{size_download} %{time_total}\n' "$base/$((1024 * mib))" |
    awk '{ printf "bytes=%d seconds=%.3f MiB/s=%.0f\n", $1, $2, $1 / $2 / 1048576 }'
