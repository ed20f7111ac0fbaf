#!/bin/bash
# The probes of the win64 build against a real Wine registry and drive: registry values
# written in the 32-bit view (and some in the 64-bit view alone, which must read as absent),
# the Kolvera folder tree under the prefix's drive C, one ProbeReport run per scenario.
# Usage: test.sh WIN64_BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 WIN64_BUILD_DIR" >&2
    exit 2
fi
report="$(cd "$1" && pwd)/inspection/ProbeReport.exe"
if [[ ! -f $report ]]; then
    echo "missing $report: build the win64 preset first" >&2
    exit 2
fi

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
tmp=$(mktemp -d)
export WINEARCH=win64 WINEPREFIX="$tmp/prefix" WINEDEBUG=-all
# No Mono or Gecko: a fresh prefix would otherwise try to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

# One server for the whole run, so each command does not start its own.
mkdir "$WINEPREFIX"
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1
drive="$WINEPREFIX/drive_c"

# reg_value VIEW KEY NAME TYPE DATA; VIEW is 32 or 64, KEY relative to HKLM.
reg_value() {
    "$wine" reg add "HKLM\\$2" /v "$3" /t "$4" /d "$5" "/reg:$1" /f >/dev/null
}

# reg_key VIEW KEY: a key without values.
reg_key() {
    "$wine" reg add "HKLM\\$2" "/reg:$1" /f >/dev/null
}

# Forgets every key and folder a scenario may have written: one import deletes the trees in
# both views (the 32-bit view of HKLM\SOFTWARE is its Wow6432Node subkey).
{
    printf 'Windows Registry Editor Version 5.00\r\n'
    for software in 'SOFTWARE' 'SOFTWARE\Wow6432Node'; do
        for key in 'Microsoft SQL Server' 'MSSQLServer' 'NET Framework Setup' 'PowerShell'; do
            printf '\r\n[-HKEY_LOCAL_MACHINE\\%s\\Microsoft\\%s]\r\n' "$software" "$key"
        done
    done
} >"$drive/reset.reg"
reset_machine() {
    "$wine" reg import 'C:\reset.reg' >/dev/null
    rm -rf "$drive/Kolvera"
}

failures=0
# expect SCENARIO LINE...: runs the report and compares its whole output.
expect() {
    local scenario=$1
    shift
    local actual
    actual=$("$wine" "$report" | tr -d '\r')
    if [[ $actual == "$(printf '%s\n' "$@")" ]]; then
        echo "ok: $scenario"
    else
        echo "FAIL: $scenario"
        diff <(printf '%s\n' "$@") <(printf '%s\n' "$actual") || true
        failures=$((failures + 1))
    fi
}

NDP='SOFTWARE\Microsoft\NET Framework Setup\NDP\v3.5'
POWERSHELL='SOFTWARE\Microsoft\PowerShell\1\PowerShellEngine'
SQL='SOFTWARE\Microsoft\Microsoft SQL Server'

expect "fresh machine" \
    'IsWindows64: true' \
    'ReadDotNet35Version: ""' \
    'ReadPowerShellVersion: ""' \
    'ReadSqlServerVersion: ""' \
    'CheckProductInstallation: pcProductFolderMissing'

reset_machine
reg_value 64 "$NDP\\1055" Version REG_SZ 3.5.30729.01
reg_value 64 "$POWERSHELL" PowerShellVersion REG_SZ 2.0
reg_value 64 "$SQL\\MSSQLSERVER\\setup" PatchLevel REG_SZ 13.0.1601.5
reg_value 64 "$SQL\\Services\\SQL Server" Name REG_SZ MSSQLSERVER
touch "$drive/Kolvera"
expect "64-bit view only, Kolvera a file" \
    'IsWindows64: true' \
    'ReadDotNet35Version: ""' \
    'ReadPowerShellVersion: ""' \
    'ReadSqlServerVersion: ""' \
    'CheckProductInstallation: pcProductFolderMissing'

reset_machine
reg_value 32 "$NDP\\1055" Version REG_SZ 3.5.30729.01
reg_value 32 "$POWERSHELL" PowerShellVersion REG_EXPAND_SZ '%SystemRoot%\2.0'
# The second SQL Server place tests one key and reads its sibling.
reg_key 32 "$SQL\\MSSQLServer\\MSSQLServer"
reg_value 32 "$SQL\\MSSQLSERVER\\CurrentVersion" CurrentVersion REG_SZ 10.50.1600.1
mkdir -p "$drive/Kolvera"
expect "32-bit view, second SQL Server place, data folder missing" \
    'IsWindows64: true' \
    'ReadDotNet35Version: "3.5.30729.01"' \
    'ReadPowerShellVersion: "%SystemRoot%\2.0"' \
    'ReadSqlServerVersion: "10.50.1600.1"' \
    'CheckProductInstallation: pcDataFolderMissing'

reset_machine
reg_value 32 "$NDP\\1033" Version REG_SZ 3.5.30729.01
reg_value 32 "$POWERSHELL" PowerShellVersion REG_SZ ''
reg_value 32 "$SQL\\MSSQLSERVER\\setup" PatchLevel REG_DWORD 13
reg_value 32 "$SQL\\Services\\SQL Server" Name REG_SZ MSSQLSERVER
mkdir -p "$drive/Kolvera/Data/kolvera_data.mdf"
expect "wrong value type, other language, empty text, data file a folder" \
    'IsWindows64: true' \
    'ReadDotNet35Version: ""' \
    'ReadPowerShellVersion: ""' \
    "ReadSqlServerVersion: error: Invalid data type for 'PatchLevel'" \
    'CheckProductInstallation: pcDataFileMissing'

reset_machine
reg_value 32 "$SQL\\MSSQLSERVER\\CurrentVersion" CurrentVersion REG_SZ 10.50.1600.1
reg_value 32 "$SQL\\Services\\SQL Server" Name REG_SZ MSSQLSERVER
mkdir -p "$drive/Kolvera/Data"
echo data >"$drive/Kolvera/Data/kolvera_data.mdf"
expect "last SQL Server place, product ready" \
    'IsWindows64: true' \
    'ReadDotNet35Version: ""' \
    'ReadPowerShellVersion: ""' \
    'ReadSqlServerVersion: "MSSQLSERVER"' \
    'CheckProductInstallation: pcReady'

if [[ $failures -ne 0 ]]; then
    echo "$failures scenario(s) failed"
    exit 1
fi
echo "all probe scenarios passed"
