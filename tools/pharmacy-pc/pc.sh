# The simulated pharmacy PC: a 64-bit Wine prefix standing in for the PC's Windows, in a private
# network and mount namespace where the wizard's built-in download host and SQL Server name "."
# both lead to loopback, with the download server on port 80 and the SQL Server stand-in on
# port 1433 there. Source this file; see README.md for the order of the steps.
#
# One machine is a folder:
#   prefix/           the Wine prefix; prefix/drive_c is the PC's drive C
#   downloads.jsonl   every request the download server received, its exact bytes included
#   sqlserver/        the SQL Server stand-in's state.json and batches.jsonl
#   odbc/             the odbcinst.ini through which Wine's ODBC finds FreeTDS
#   logs/             the servers' and the wizard's output

PC_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
PC_WINE=/usr/lib/wine/wine64
PC_WINESERVER=/usr/lib/wine/wineserver
PC_PYTHON=/usr/bin/python3
PC_DOWNLOAD_HOST=indir.kolvera.com.tr
PC_FREETDS_DRIVER=/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so
PC_WIZARD_IMAGE=KolveraKurulum.exe
# Where the pharmacist starts the wizard from, below drive C.
PC_WIZARD_FOLDER=users/Public/Desktop
# The .msu association of the update installer stand-in, and its home, below drive C.
PC_STANDINS_FOLDER=standins
PC_UPDATE_INSTALLER='C:\standins\wusa-standin.exe'
# Raised by the stand-in MSSQLSERVER service while it runs.
PC_SERVICE_FLAG=standins/mssqlserver.running

PC_BUILD=
PC_PACKAGES=
PC_MACHINE=
PC_DRIVE=
PC_DOWNLOAD_PID=
PC_SQLSERVER_PID=
PC_WIZARD_PID=

# The sa password SQL Server setup is given, read from the one place the wizard keeps it.
pc_sa_password() {
    sed -n 's/.*AdminPassword = "\(.*\)";.*/\1/p' "$PC_REPO/prerequisites/AdminPassword.h"
}

# pc_use_build WIN64_BUILD_DIR: the wizard and the stand-ins of this build.
pc_use_build() {
    PC_BUILD=$(cd "$1" && pwd)
    PC_PACKAGES=$PC_BUILD/tools/standins/packages
    local file
    for file in "$PC_BUILD/app/$PC_WIZARD_IMAGE" "$PC_BUILD/tools/standins/wusa-standin.exe" \
        "$PC_PACKAGES/dotnetfx35.exe" "$PC_PACKAGES/Windows6.0-KB968930-x64.msu" \
        "$PC_PACKAGES/SQLEXPR_x64_ENU.exe"; do
        if [[ ! -f $file ]]; then
            echo "missing $file: build the win64 preset first" >&2
            return 2
        fi
    done
}

# pc_enter_namespace ARGUMENT...: runs the calling script again, with ARGUMENTs, as root inside
# a private network and mount namespace whose loopback is up and whose /etc/hosts sends the
# download host and "." to it. Returns at once when already inside.
pc_enter_namespace() {
    if [[ -n ${PC_NAMESPACE:-} ]]; then
        return 0
    fi
    if [[ $(id -u) != 0 ]]; then
        echo "the simulated pharmacy PC needs root (network and mount namespaces)" >&2
        exit 2
    fi
    PC_NAMESPACE=1 exec unshare --net --mount --fork -- "$0" "$@"
}

# pc_network_up HOSTS_FILE: the namespace's loopback and name resolution; call once inside.
pc_network_up() {
    ip link set lo up
    printf '127.0.0.1\tlocalhost\n127.0.0.1\t%s\n127.0.0.1\t.\n::1\tlocalhost\n' \
        "$PC_DOWNLOAD_HOST" >"$1"
    mount --bind "$1" /etc/hosts
}

# pc_wine_environment PREFIX: the variables every Wine command of the machine runs with.
pc_wine_environment() {
    export WINEARCH=win64 WINEDEBUG=-all WINEPREFIX=$1
    # No Mono or Gecko: a fresh prefix would otherwise try to install them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# pc_make_pristine DIR: a freshly installed Windows with the update
# installer stand-in behind the ".msu" association; every machine starts as a copy of it.
pc_make_pristine() {
    local dir=$1
    pc_wine_environment "$dir"
    mkdir -p "$dir"
    # Without a display, so that no set-up window appears. On a 64-bit-only Wine it complains
    # about syswow64\rundll32.exe, which does no harm.
    if ! DISPLAY='' timeout 300 "$PC_WINE" wineboot -i >/dev/null 2>&1; then
        echo "wineboot could not make the prefix $dir" >&2
        return 1
    fi
    mkdir -p "$dir/drive_c/$PC_STANDINS_FOLDER"
    cp "$PC_BUILD/tools/standins/wusa-standin.exe" "$dir/drive_c/$PC_STANDINS_FOLDER/"
    "$PC_WINE" reg add 'HKCR\.msu' /ve /d Microsoft.System.Update.1 /f >/dev/null
    "$PC_WINE" reg add 'HKCR\Microsoft.System.Update.1\shell\open\command' /ve \
        /d "\"$PC_UPDATE_INSTALLER\" \"%1\" %*" /f >/dev/null
    pc_wine_stop
}

# pc_copy_prefix PRISTINE DEST: program files are shared as hard links, since nothing changes
# them in place; every other file (registry, ini files) is a copy of its own.
pc_copy_prefix() {
    cp -al "$1" "$2"
    find "$2" -type f ! -iregex '.*\.\(dll\|exe\|drv\|sys\|ocx\|cpl\|acm\|tlb\|ax\|ds\)' \
        -print0 | while IFS= read -r -d '' file; do
        cp -p "$file" "$file.copy" && mv -f "$file.copy" "$file"
    done
}

# pc_new_machine DIR PRISTINE: a new PC in DIR, as it comes from the pristine prefix.
pc_new_machine() {
    mkdir -p "$1"
    pc_copy_prefix "$2" "$1/prefix"
    pc_use_machine "$1"
}

# pc_use_machine DIR: works on the PC in DIR (also for a second run on the same PC).
pc_use_machine() {
    PC_MACHINE=$(cd "$1" && pwd)
    PC_DRIVE=$PC_MACHINE/prefix/drive_c
    mkdir -p "$PC_MACHINE/logs" "$PC_MACHINE/sqlserver" "$PC_MACHINE/odbc"
    pc_wine_environment "$PC_MACHINE/prefix"
    printf '[SQL Server]\nDescription=FreeTDS\nDriver=%s\n' "$PC_FREETDS_DRIVER" \
        >"$PC_MACHINE/odbc/odbcinst.ini"
    export ODBCSYSINI=$PC_MACHINE/odbc TDSVER=7.4 TDSPORT=1433
}

# pc_install_kolvera [--without-data-file]: the Kolvera product with its data and log files.
pc_install_kolvera() {
    mkdir -p "$PC_DRIVE/Kolvera/Data"
    if [[ ${1:-} != --without-data-file ]]; then
        "$PC_PYTHON" "$PC_REPO/tools/sqlserver/make_kolvera_mdf.py" \
            "$PC_DRIVE/Kolvera/Data/kolvera_data.mdf"
    fi
    printf 'Kolvera log\n' >"$PC_DRIVE/Kolvera/Data/kolvera_log.ldf"
}

# pc_registry32 LINE...: imports registry lines (the body of a .reg file, HKEY_LOCAL_MACHINE
# paths) into the 32-bit view, where a 32-bit program reads them.
pc_registry32() {
    local file=$PC_MACHINE/logs/import32.reg
    printf 'Windows Registry Editor Version 5.00\r\n\r\n' >"$file"
    printf '%s\r\n' "$@" >>"$file"
    "$PC_WINE" reg import "$(pc_windows_path "$file")" /reg:32 >/dev/null 2>&1
}

# pc_windows_path FILE: the name Wine gives a file of this machine.
pc_windows_path() {
    "$PC_WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'
}

# pc_instruct PROGRAM LINE...: the scenario's instructions for a stand-in (see
# tools/standins/win32/StandIn.h), replacing earlier ones; with no LINE, none.
pc_instruct() {
    local file=$PC_DRIVE/$PC_STANDINS_FOLDER/$1.conf
    shift
    mkdir -p "$(dirname "$file")"
    if [[ $# -eq 0 ]]; then
        rm -f "$file"
    else
        printf '%s\n' "$@" >"$file"
    fi
}

# pc_run_windows_program COMMAND...: runs a program on the PC and waits for it.
pc_run_windows_program() {
    "$PC_WINE" "$@" >>"$PC_MACHINE/logs/programs.log" 2>&1
}

pc_wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        if ((SECONDS >= deadline)); then
            return 1
        fi
        sleep 0.1
    done
}

pc_port_ready() {
    [[ -s $1 ]]
}

# pc_boot [DOWNLOAD_SERVER_OPTION...]: the PC is switched on with its services stopped; the
# download server (with the given options, see tools/downloadserver) and the SQL Server
# stand-in start listening.
pc_boot() {
    rm -f "$PC_DRIVE/$PC_SERVICE_FLAG"
    "$PC_WINESERVER" -p
    pc_start_download_server "$@"
    pc_start_sql_server
}

pc_start_download_server() {
    local ready=$PC_MACHINE/logs/downloadserver.ready
    rm -f "$ready"
    "$PC_PYTHON" "$PC_REPO/tools/downloadserver/downloadserver.py" --port 80 \
        --packages "$PC_PACKAGES" --log "$PC_MACHINE/downloads.jsonl" --ready-file "$ready" \
        "$@" >>"$PC_MACHINE/logs/downloadserver.log" 2>&1 &
    PC_DOWNLOAD_PID=$!
    if ! pc_wait_until 20 pc_port_ready "$ready"; then
        echo "the download server did not start; see $PC_MACHINE/logs/downloadserver.log" >&2
        return 1
    fi
}

pc_start_sql_server() {
    local ready=$PC_MACHINE/logs/sqlserver.ready
    rm -f "$ready"
    "$PC_PYTHON" "$PC_REPO/tools/sqlserver/sqlserver.py" --port 1433 \
        --state-dir "$PC_MACHINE/sqlserver" --drive-c "$PC_DRIVE" \
        --sa-password "$(pc_sa_password)" --service-flag "$PC_DRIVE/$PC_SERVICE_FLAG" \
        --ready-file "$ready" >>"$PC_MACHINE/logs/sqlserver.log" 2>&1 &
    PC_SQLSERVER_PID=$!
    if ! pc_wait_until 20 pc_port_ready "$ready"; then
        echo "the SQL Server stand-in did not start; see $PC_MACHINE/logs/sqlserver.log" >&2
        return 1
    fi
}

# pc_start_wizard: copies the wizard onto the PC's desktop and starts it there,
# in the background, unchanged: built-in address, port and server name.
pc_start_wizard() {
    local folder=$PC_DRIVE/$PC_WIZARD_FOLDER
    mkdir -p "$folder"
    cp "$PC_BUILD/app/$PC_WIZARD_IMAGE" "$folder/"
    (cd "$folder" && exec "$PC_WINE" "$PC_WIZARD_IMAGE") >>"$PC_MACHINE/logs/wizard.log" 2>&1 &
    PC_WIZARD_PID=$!
}

pc_wizard_ended() {
    ! kill -0 "$PC_WIZARD_PID" 2>/dev/null
}

# pc_wait_wizard_exit SECONDS: waits for the wizard to end and prints its exit code.
pc_wait_wizard_exit() {
    if ! pc_wait_until "$1" pc_wizard_ended; then
        echo "the wizard was still running after $1 s" >&2
        return 1
    fi
    local code=0
    wait "$PC_WIZARD_PID" || code=$?
    PC_WIZARD_PID=
    echo "$code"
}

# pc_close_request: what the system sends when asked to close the program without force.
pc_close_request() {
    "$PC_WINE" taskkill /IM "$PC_WIZARD_IMAGE" >/dev/null 2>&1
}

# pc_wine_stop: ends every Windows program of the PC, the stand-in service included, and waits
# until the registry is saved.
pc_wine_stop() {
    "$PC_WINESERVER" -k 2>/dev/null || true
    "$PC_WINESERVER" -w 2>/dev/null || true
}

# pc_shutdown: the PC and both servers stop; the machine folder keeps their state.
pc_shutdown() {
    local pid
    if [[ -n $PC_WIZARD_PID ]]; then
        kill "$PC_WIZARD_PID" 2>/dev/null || true
        PC_WIZARD_PID=
    fi
    if [[ -n $PC_MACHINE ]]; then
        pc_wine_stop
    fi
    for pid in $PC_DOWNLOAD_PID $PC_SQLSERVER_PID; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    PC_DOWNLOAD_PID=
    PC_SQLSERVER_PID=
}
