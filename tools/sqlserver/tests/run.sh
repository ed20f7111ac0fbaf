#!/bin/sh
# Runs every test of the SQL Server stand-in: its own units and the real clients
# (FreeTDS ODBC driver, isql, tsql, python-tds) against a running server.
# Exits non-zero when a test fails.
set -eu
cd "$(dirname "$0")/.."
exec timeout 600 /usr/bin/python3 -m unittest discover -s tests -t . "$@"
