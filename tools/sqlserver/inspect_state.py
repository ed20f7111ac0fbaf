#!/usr/bin/python3
"""Prints, as JSON, what the SQL Server stand-in holds: its logins, its databases, or the
indexes of one database read from its data file. Safe to run while the server runs."""

import argparse
import json
import os
import sys

from datafile import DataFile
from drive import DriveC
from state import STATE_FILE, ServerState


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--state-dir", required=True)
    parser.add_argument("--drive-c", required=True)
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("logins", help="each login with its password, defaults and roles")
    commands.add_parser("databases", help="each database with files, level and users")
    indexes = commands.add_parser("indexes", help="the indexes of a database's data file")
    indexes.add_argument("database")
    return parser.parse_args(argv)


def load_state(directory):
    if not os.path.exists(os.path.join(directory, STATE_FILE)):
        raise LookupError(f"no {STATE_FILE} in {directory}")
    return ServerState.load(directory, sa_password=None)


def logins(state):
    return {
        login.name: {
            "password": login.password,
            "default_database": login.default_database,
            "default_language": login.default_language,
            "server_roles": [role for role in state.server_roles
                             if state.is_role_member(role, login.name)],
        }
        for login in state.logins.values()
    }


def databases(state):
    return state.to_json()["databases"]


def indexes(state, drive, name):
    database = state.database(name)
    if database is None:
        raise LookupError(f"no database {name!r}")
    if not database.data_files:
        return []
    resolution = drive.resolve(database.data_files[0])
    if resolution.path is None:
        raise LookupError(f"the data file {database.data_files[0]!r} cannot be opened "
                          f"(Windows error {resolution.os_error})")
    with DataFile(resolution.path) as data_file:
        return [{"table": index.table, "name": index.name,
                 "keys": [{"column": column, "descending": descending}
                          for column, descending in index.keys]}
                for index in data_file.indexes()]


def main(argv):
    arguments = parse_arguments(argv)
    try:
        state = load_state(arguments.state_dir)
        if arguments.command == "logins":
            answer = logins(state)
        elif arguments.command == "databases":
            answer = databases(state)
        else:
            answer = indexes(state, DriveC(arguments.drive_c), arguments.database)
    except (LookupError, OSError, ValueError) as error:
        print(f"inspect_state: {error}", file=sys.stderr)
        return 1
    json.dump(answer, sys.stdout, indent=2, ensure_ascii=False)
    sys.stdout.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
