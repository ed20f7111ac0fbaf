#!/bin/sh
# Runs a test program where the server name "." reaches this machine, as it does on Windows:
# in a private network and mount namespace, with the loopback up and a hosts file mapping "."
# to 127.0.0.1, so a stand-in can listen on SQL Server's own port there. Needs root.
set -eu
if [ "${KOLVERA_PRIVATE_NAMESPACE:-}" != 1 ]; then
    exec unshare --net --mount env KOLVERA_PRIVATE_NAMESPACE=1 sh "$0" "$@"
fi
ip link set lo up
hosts=$(mktemp)
trap 'rm -f "$hosts"' EXIT
printf '127.0.0.1 localhost\n127.0.0.1 .\n' >"$hosts"
mount --bind "$hosts" /etc/hosts
"$@"
