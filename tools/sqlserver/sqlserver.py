#!/usr/bin/python3
"""A stand-in for a local SQL Server instance: speaks TDS 7.4 on a TCP port and keeps its
logins and attached databases in a state folder. See README.md."""

import argparse
import os
import signal
import socket
import socketserver
import sys

from batchlog import BatchLog
from connection import Connection
from drive import DriveC
from engine import Engine
from state import ServerState, StateError


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, required=True,
                        help="TCP port to listen on; 0 picks a free one")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--state-dir", required=True,
                        help="folder of state.json and batches.jsonl")
    parser.add_argument("--drive-c", required=True, help="folder that C:\\ maps to")
    parser.add_argument("--sa-password", help="the sa password of a new state")
    parser.add_argument("--service-flag",
                        help="refuse connections until this file exists")
    parser.add_argument("--ready-file",
                        help="written, holding the port, once the server listens")
    return parser.parse_args(argv)


class Listener(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True

    def __init__(self, address, engine, service_flag):
        super().__init__(address, ConnectionHandler)
        self.engine = engine
        self.service_flag = service_flag

    def service_running(self):
        return self.service_flag is None or os.path.exists(self.service_flag)


class ConnectionHandler(socketserver.BaseRequestHandler):
    def handle(self):
        # A stopped service closes every connection at once.
        if self.server.service_running():
            Connection(self.request, self.server.engine).run()


def write_ready_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii") as file:
        file.write(f"{port}\n")
    os.replace(temporary, path)


def stop_on_terminate(_signal, _frame):
    raise SystemExit(0)


def main(argv):
    arguments = parse_arguments(argv)
    os.makedirs(arguments.state_dir, exist_ok=True)
    try:
        state = ServerState.load(arguments.state_dir, arguments.sa_password)
    except StateError as error:
        print(f"sqlserver: {error}", file=sys.stderr)
        return 2
    engine = Engine(state, DriveC(arguments.drive_c), BatchLog(arguments.state_dir),
                    server_name=socket.gethostname().upper())
    signal.signal(signal.SIGTERM, stop_on_terminate)
    with Listener((arguments.host, arguments.port), engine, arguments.service_flag) as listener:
        port = listener.server_address[1]
        print(f"sqlserver: listening on {arguments.host}:{port}", file=sys.stderr, flush=True)
        if arguments.ready_file:
            write_ready_file(arguments.ready_file, port)
        listener.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
