#!/usr/bin/python3
"""The maker's download server as the wizard meets it: HTTP/1.1 on a loopback port, the files
of one folder under /Kolvera/2016/, persistent connections, a session cookie, and a log of
every request's exact bytes. A package can be made to fail with a status, or to kill the whole
server in the middle of its body. See README.md."""

import argparse
import itertools
import json
import os
import signal
import socketserver
import sys
import threading

PACKAGE_PATH = "/Kolvera/2016/"
COOKIE_NAME = "oturum"
BLOCK_SIZE = 64 * 1024
# A request head larger than this is not the wizard's; the connection is dropped.
LARGEST_HEAD = 64 * 1024
# Unused exit status: the server died on purpose in the middle of a body.
DIED_IN_BODY = 3

REASONS = {200: "OK", 404: "Not Found", 500: "Internal Server Error", 503: "Service Unavailable"}


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, required=True, help="0 picks a free one")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--packages", required=True,
                        help="folder whose files are served under " + PACKAGE_PATH)
    parser.add_argument("--log", required=True, help="JSON lines, one per request, appended")
    parser.add_argument("--ready-file", help="written, holding the port, once listening")
    parser.add_argument("--status", action="append", default=[], metavar="NAME=CODE",
                        help="answer CODE instead of the package NAME")
    parser.add_argument("--die-in-body", metavar="NAME",
                        help="send half of the package NAME's body, then end the server")
    arguments = parser.parse_args(argv)
    arguments.status = dict(parse_status(text, parser) for text in arguments.status)
    return arguments


def parse_status(text, parser):
    name, _, code = text.partition("=")
    if not name or not code.isdigit():
        parser.error(f"--status wants NAME=CODE, not {text!r}")
    return name, int(code)


class RequestLog:
    """Appends one JSON object a line; each line is flushed before the answer goes out, so a
    reader sees every request the wizard made even when the server dies."""

    def __init__(self, path):
        self.file = open(path, "a", encoding="utf-8")
        self.lock = threading.Lock()

    def write(self, entry):
        with self.lock:
            self.file.write(json.dumps(entry, ensure_ascii=False) + "\n")
            self.file.flush()
            os.fsync(self.file.fileno())


class Request:
    def __init__(self, head):
        self.head = head
        lines = head.decode("latin-1").split("\r\n")
        self.method, _, rest = lines[0].partition(" ")
        self.target, _, self.version = rest.rpartition(" ")
        self.headers = {}
        for line in lines[1:]:
            name, _, value = line.partition(":")
            self.headers[name.strip().lower()] = value.strip()

    def keeps_connection(self):
        connection = self.headers.get("connection", "").lower()
        if self.version == "HTTP/1.0":
            return connection == "keep-alive"
        return connection != "close"


class Answer:
    def __init__(self, status, body, content_type="application/octet-stream"):
        self.status = status
        self.body = body
        self.content_type = content_type

    def head(self, request, connection_number, keep):
        lines = [f"HTTP/1.1 {self.status} {REASONS.get(self.status, 'Error')}",
                 f"Content-Type: {self.content_type}",
                 f"Content-Length: {len(self.body)}"]
        if "cookie" not in request.headers:
            lines.append(f"Set-Cookie: {COOKIE_NAME}={connection_number}; Path=/")
        lines.append("Connection: keep-alive" if keep else "Connection: close")
        return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


class DownloadServer(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True

    def __init__(self, address, arguments):
        super().__init__(address, ConnectionHandler)
        self.packages = arguments.packages
        self.statuses = arguments.status
        self.die_in_body = arguments.die_in_body
        self.log = RequestLog(arguments.log)
        self.connection_numbers = itertools.count(1)

    def answer(self, request):
        name = request.target[len(PACKAGE_PATH):]
        if (request.method != "GET" or not request.target.startswith(PACKAGE_PATH)
                or "/" in name or not os.path.isfile(os.path.join(self.packages, name))):
            return name, error_answer(404)
        if name in self.statuses:
            return name, error_answer(self.statuses[name])
        with open(os.path.join(self.packages, name), "rb") as file:
            return name, Answer(200, file.read())


def error_answer(status):
    body = f"<html><body><h1>{status} {REASONS.get(status, 'Error')}</h1></body></html>\n"
    return Answer(status, body.encode("ascii"), "text/html")


class ConnectionHandler(socketserver.BaseRequestHandler):
    def setup(self):
        self.number = next(self.server.connection_numbers)
        self.pending = b""

    def handle(self):
        while True:
            head = self.read_head()
            if head is None:
                return
            request = Request(head)
            name, answer = self.server.answer(request)
            keep = request.keeps_connection()
            dies = name == self.server.die_in_body and answer.status == 200
            body = answer.body[:len(answer.body) // 2] if dies else answer.body
            self.server.log.write({
                "connection": self.number,
                "request": head.decode("latin-1"),
                "status": answer.status,
                "body_bytes": len(body),
                "complete": not dies,
            })
            self.request.sendall(answer.head(request, self.number, keep))
            for start in range(0, len(body), BLOCK_SIZE):
                self.request.sendall(body[start:start + BLOCK_SIZE])
            if dies:
                # Every socket closes with the process, as when the real server goes down.
                os._exit(DIED_IN_BODY)
            if not keep:
                return

    def read_head(self):
        """The bytes up to and including the empty line; None once the client has gone."""
        while b"\r\n\r\n" not in self.pending:
            if len(self.pending) > LARGEST_HEAD:
                return None
            data = self.request.recv(BLOCK_SIZE)
            if not data:
                return None
            self.pending += data
        end = self.pending.index(b"\r\n\r\n") + 4
        head, self.pending = self.pending[:end], self.pending[end:]
        return head


def write_ready_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii") as file:
        file.write(f"{port}\n")
    os.replace(temporary, path)


def stop_on_terminate(_signal, _frame):
    raise SystemExit(0)


def main(argv):
    arguments = parse_arguments(argv)
    signal.signal(signal.SIGTERM, stop_on_terminate)
    with DownloadServer((arguments.host, arguments.port), arguments) as server:
        port = server.server_address[1]
        print(f"downloadserver: listening on {arguments.host}:{port}", file=sys.stderr,
              flush=True)
        if arguments.ready_file:
            write_ready_file(arguments.ready_file, port)
        server.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
