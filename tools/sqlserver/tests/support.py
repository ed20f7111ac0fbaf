"""Fixtures shared by the tests: a drive C: holding the Kolvera files, an engine on a fresh
state, a running server process, and a bare TDS client for what real clients never send."""

import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

import make_kolvera_mdf
from batchlog import LOG_FILE, BatchLog
from drive import DriveC
from engine import Engine
from state import ServerState

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER_SCRIPT = os.path.join(os.path.dirname(HERE), "sqlserver.py")
SA_PASSWORD = "1"
DATA_FILE = r"c:\kolvera\data\kolvera_data.mdf"
LOG_FILE_PATH = r"c:\kolvera\data\kolvera_log.ldf"
DEADLINE_SECONDS = 20


def wait_until(condition, what, deadline=DEADLINE_SECONDS):
    """Polls condition until it holds; fails with what after the deadline."""
    end = time.monotonic() + deadline
    while not condition():
        if time.monotonic() > end:
            raise TimeoutError(f"timed out waiting for {what}")
        time.sleep(0.02)


class Workspace:
    """Temporary state folder and drive C: with C:\\Kolvera\\Data holding the data file
    (unless with_files is false) and a log file."""

    def __init__(self, with_files=True, empty_alis=False):
        self.root = tempfile.mkdtemp(prefix="sqlserver-test-")
        self.state_dir = os.path.join(self.root, "state")
        self.drive_c = os.path.join(self.root, "c")
        self.data_folder = os.path.join(self.drive_c, "Kolvera", "Data")
        os.makedirs(self.state_dir)
        os.makedirs(self.data_folder)
        if with_files:
            self.write_kolvera_files(empty_alis)

    def write_kolvera_files(self, empty_alis=False):
        make_kolvera_mdf.write_data_file(self.data_path, empty_alis)
        with open(os.path.join(self.data_folder, "kolvera_log.ldf"), "wb") as file:
            file.write(b"log")

    @property
    def data_path(self):
        return os.path.join(self.data_folder, "kolvera_data.mdf")

    def log_entries(self):
        path = os.path.join(self.state_dir, LOG_FILE)
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as file:
            return [json.loads(line) for line in file]

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


def make_engine(workspace):
    state = ServerState.load(workspace.state_dir, SA_PASSWORD)
    return Engine(state, DriveC(workspace.drive_c), BatchLog(workspace.state_dir), "TESTHOST")


class ServerProcess:
    """sqlserver.py on a free loopback port, stopped by SIGTERM."""

    def __init__(self, workspace, *extra_arguments):
        self.workspace = workspace
        ready_file = os.path.join(workspace.root, "ready")
        if os.path.exists(ready_file):
            os.remove(ready_file)
        self.process = subprocess.Popen(
            [sys.executable, SERVER_SCRIPT, "--port", "0", "--state-dir", workspace.state_dir,
             "--drive-c", workspace.drive_c, "--sa-password", SA_PASSWORD,
             "--ready-file", ready_file, *extra_arguments],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wait_until(lambda: os.path.exists(ready_file) or self.process.poll() is not None,
                   "the server's ready file")
        if self.process.poll() is not None:
            raise RuntimeError(f"server ended: {self.process.stderr.read().decode()}")
        with open(ready_file, encoding="ascii") as file:
            self.port = int(file.read())

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=DEADLINE_SECONDS)
        self.process.stderr.close()

    def odbc_connection_string(self, password=SA_PASSWORD, database="master"):
        return (f"DRIVER={{SQL Server}};SERVER=127.0.0.1;PORT={self.port};TDS_Version=7.4;"
                f"UID=sa;PWD={password};DATABASE={database}")


# ---------------------------------------------------------------- a bare TDS client

PACKET_HEADER = struct.Struct(">BBHHBB")


def obfuscate(password):
    """What a client does to the password in LOGIN7: swap nibbles, then XOR 0xA5."""
    return bytes((((b << 4) & 0xF0) | (b >> 4)) ^ 0xA5 for b in password.encode("utf-16-le"))


def login7(user, password, database="", packet_size=4096):
    """A LOGIN7 message as MS-TDS 2.2.6.4 lays it out."""
    fields = ["testhost", user, None, "tests", "127.0.0.1", "", "raw-tds", "", database]
    fixed_size, offsets_size = 36, 58
    offset = fixed_size + offsets_size
    offset_block, data = bytearray(), bytearray()
    for index, value in enumerate(fields):
        encoded = obfuscate(password) if index == 2 else value.encode("utf-16-le")
        offset_block += struct.pack("<HH", offset + len(data), len(encoded) // 2)
        data += encoded
    offset_block += bytes(6)  # client id
    offset_block += struct.pack("<HHHHHHI", offset + len(data), 0, offset + len(data), 0,
                                offset + len(data), 0, 0)
    fixed = struct.pack("<IIIIIIBBBBiI", fixed_size + offsets_size + len(data), 0x74000004,
                        packet_size, 7, 1234, 0, 0xE0, 0x03, 0, 0, 0, 0x0409)
    return fixed + bytes(offset_block) + bytes(data)


def sql_batch(text):
    headers = struct.pack("<IIHQI", 22, 18, 2, 0, 1)
    return headers + text.encode("utf-16-le")


class RawClient:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=DEADLINE_SECONDS)

    def send(self, message_type, payload):
        self.sock.sendall(PACKET_HEADER.pack(message_type, 0x01, 8 + len(payload), 0, 1, 0) +
                          payload)

    def read_packets(self):
        """The packets of one reply as (header fields, payload)."""
        packets = []
        while True:
            header = PACKET_HEADER.unpack(self.read_exactly(8))
            packets.append((header, self.read_exactly(header[2] - 8)))
            if header[1] & 0x01:
                return packets

    def read_reply(self):
        return b"".join(payload for _, payload in self.read_packets())

    def read_exactly(self, count):
        data = b""
        while len(data) < count:
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise ConnectionError("server closed the connection")
            data += chunk
        return data

    def log_in(self, user="sa", password=SA_PASSWORD, packet_size=4096):
        version_option = bytes([0x00, 0x00, 0x06, 0x00, 0x06, 0xFF])
        self.send(0x12, version_option + bytes([9, 0, 0, 0, 0, 0]))
        self.read_reply()
        self.send(0x10, login7(user, password, packet_size=packet_size))
        return self.read_reply()

    def close(self):
        self.sock.close()
