"""TDS 7.4 on the wire: packet framing, the pre-login and login messages, and the
tokens of a reply (MS-TDS sections 2.2.3 to 2.2.7)."""

import struct
from dataclasses import dataclass

import catalog
from replies import (ColumnKind, DatabaseChanged, Done, LanguageChanged, Message,
                     ProcedureDone, ResultSet)

# Message types (2.2.3.1.1).
SQL_BATCH = 0x01
RPC = 0x03
TABULAR_RESULT = 0x04
ATTENTION = 0x06
LOGIN7 = 0x10
PRELOGIN = 0x12

# Packet status bits (2.2.3.1.2).
STATUS_EOM = 0x01
STATUS_IGNORE = 0x02

HEADER = struct.Struct(">BBHHBB")
DEFAULT_PACKET_SIZE = 4096
MIN_PACKET_SIZE = 512
MAX_PACKET_SIZE = 32767
# A message larger than this is not a client talking TDS; refuse it rather than buffer it.
MAX_MESSAGE_SIZE = 16 * 1024 * 1024

TDS_7_4 = 0x74000004


class ProtocolError(Exception):
    """The peer sent bytes that are not a well-formed TDS message."""


class ConnectionClosed(Exception):
    """The peer closed the connection."""


# ---------------------------------------------------------------- packets


def read_exactly(sock, count):
    data = bytearray()
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionClosed()
        data += chunk
    return bytes(data)


def read_message(sock):
    """Reads packets up to the end-of-message bit; returns (type, payload).
    A message the client marked to be ignored is skipped."""
    while True:
        message_type, payload, ignored = read_one_message(sock)
        if not ignored:
            return message_type, payload


def read_one_message(sock):
    payload = bytearray()
    message_type = None
    while True:
        kind, status, length, _spid, _packet_id, _window = HEADER.unpack(
            read_exactly(sock, HEADER.size))
        if length < HEADER.size or length > MAX_PACKET_SIZE:
            raise ProtocolError(f"packet length {length}")
        if message_type is None:
            message_type = kind
        elif kind != message_type:
            raise ProtocolError(f"packet of type {kind} inside a message of type {message_type}")
        payload += read_exactly(sock, length - HEADER.size)
        if len(payload) > MAX_MESSAGE_SIZE:
            raise ProtocolError("message too large")
        if status & STATUS_EOM:
            return message_type, bytes(payload), bool(status & STATUS_IGNORE)


def frame_message(message_type, payload, packet_size, spid):
    """Splits a payload into packets of at most packet_size bytes."""
    room = packet_size - HEADER.size
    chunks = [payload[i:i + room] for i in range(0, len(payload), room)] or [b""]
    packets = []
    for number, chunk in enumerate(chunks, start=1):
        status = STATUS_EOM if number == len(chunks) else 0
        packets.append(HEADER.pack(message_type, status, HEADER.size + len(chunk), spid,
                                   number % 256, 0) + chunk)
    return b"".join(packets)


# ---------------------------------------------------------------- pre-login (2.2.6.5)

PL_VERSION = 0x00
PL_ENCRYPTION = 0x01
PL_INSTOPT = 0x02
PL_THREADID = 0x03
PL_MARS = 0x04
PL_TERMINATOR = 0xFF
ENCRYPT_NOT_SUP = 0x02


def parse_prelogin(payload):
    """Returns {option token: option bytes}."""
    options = {}
    position = 0
    while True:
        if position >= len(payload):
            raise ProtocolError("pre-login options without terminator")
        token = payload[position]
        if token == PL_TERMINATOR:
            return options
        if position + 5 > len(payload):
            raise ProtocolError("truncated pre-login option")
        offset, length = struct.unpack_from(">HH", payload, position + 1)
        if offset + length > len(payload):
            raise ProtocolError("pre-login option outside the message")
        options[token] = payload[offset:offset + length]
        position += 5


def build_prelogin_reply():
    major, minor, build, sub_build = catalog.PRODUCT_VERSION
    options = [
        (PL_VERSION, struct.pack(">BBHH", major, minor, build, sub_build)),
        (PL_ENCRYPTION, bytes([ENCRYPT_NOT_SUP])),
        (PL_INSTOPT, b"\x00"),
        (PL_THREADID, b""),
        (PL_MARS, b"\x00"),
    ]
    offset = 5 * len(options) + 1
    table, data = bytearray(), bytearray()
    for token, value in options:
        table += struct.pack(">BHH", token, offset + len(data), len(value))
        data += value
    return bytes(table) + bytes([PL_TERMINATOR]) + bytes(data)


# ---------------------------------------------------------------- LOGIN7 (2.2.6.4)

LOGIN7_FIXED = struct.Struct("<IIIIIIBBBBiI")
OPTION_FLAGS3_EXTENSION = 0x10


@dataclass(frozen=True)
class Login7:
    tds_version: int
    packet_size: int
    host_name: str
    user_name: str
    password: str
    app_name: str
    server_name: str
    library_name: str
    language: str
    database: str
    wants_feature_ext: bool


def deobfuscate_password(data):
    """Undoes the client's scrambling: XOR 0xA5, then swap the nibbles of each byte."""
    plain = bytes((((b ^ 0xA5) << 4) & 0xF0) | ((b ^ 0xA5) >> 4) for b in data)
    return plain.decode("utf-16-le")


def parse_login7(payload):
    if len(payload) < LOGIN7_FIXED.size + 58:
        raise ProtocolError("LOGIN7 too short")
    (_length, tds_version, packet_size, _prog_version, _pid, _connection_id, _flags1, _flags2,
     _type_flags, flags3, _time_zone, _lcid) = LOGIN7_FIXED.unpack_from(payload, 0)

    def field(index):
        offset, count = struct.unpack_from("<HH", payload, LOGIN7_FIXED.size + 4 * index)
        end = offset + 2 * count
        if end > len(payload):
            raise ProtocolError("LOGIN7 field outside the message")
        return payload[offset:end]

    def text(index):
        return field(index).decode("utf-16-le")

    # Field order of the OffsetLength block; index 5 is the extension, 6 the library.
    return Login7(
        tds_version=tds_version,
        packet_size=packet_size,
        host_name=text(0),
        user_name=text(1),
        password=deobfuscate_password(field(2)),
        app_name=text(3),
        server_name=text(4),
        library_name=text(6),
        language=text(7),
        database=text(8),
        wants_feature_ext=bool(flags3 & OPTION_FLAGS3_EXTENSION),
    )


def negotiated_packet_size(requested):
    if requested == 0:
        return DEFAULT_PACKET_SIZE
    return max(MIN_PACKET_SIZE, min(MAX_PACKET_SIZE, requested))


# ---------------------------------------------------------------- requests


def skip_all_headers(payload):
    """A request of TDS 7.2 and later starts with ALL_HEADERS (2.2.5.3); returns the rest."""
    if len(payload) < 4:
        raise ProtocolError("request without ALL_HEADERS")
    (total,) = struct.unpack_from("<I", payload, 0)
    if total < 4 or total > len(payload):
        raise ProtocolError("ALL_HEADERS length outside the message")
    return payload[total:]


def parse_sql_batch(payload):
    body = skip_all_headers(payload)
    if len(body) % 2:
        raise ProtocolError("SQL batch text of odd length")
    return body.decode("utf-16-le", errors="surrogatepass")


# Procedures a client may name by number instead of by name (2.2.6.6).
WELL_KNOWN_PROCEDURES = {
    1: "sp_cursor", 2: "sp_cursoropen", 3: "sp_cursorprepare", 4: "sp_cursorexecute",
    5: "sp_cursorprepexec", 6: "sp_cursorunprepare", 7: "sp_cursorfetch",
    8: "sp_cursoroption", 9: "sp_cursorclose", 10: "sp_executesql", 11: "sp_prepare",
    12: "sp_execute", 13: "sp_prepexec", 14: "sp_prepexecrpc", 15: "sp_unprepare",
}


def parse_rpc_name(payload):
    body = skip_all_headers(payload)
    if len(body) < 2:
        raise ProtocolError("RPC without procedure name")
    (length,) = struct.unpack_from("<H", body, 0)
    if length == 0xFFFF:
        if len(body) < 4:
            raise ProtocolError("RPC without procedure id")
        (number,) = struct.unpack_from("<H", body, 2)
        return WELL_KNOWN_PROCEDURES.get(number, str(number))
    if 2 + 2 * length > len(body):
        raise ProtocolError("RPC procedure name outside the message")
    return body[2:2 + 2 * length].decode("utf-16-le")


# ---------------------------------------------------------------- tokens (2.2.7)

TOKEN_RETURNSTATUS = 0x79
TOKEN_COLMETADATA = 0x81
TOKEN_ERROR = 0xAA
TOKEN_INFO = 0xAB
TOKEN_LOGINACK = 0xAD
TOKEN_FEATUREEXTACK = 0xAE
TOKEN_ROW = 0xD1
TOKEN_ENVCHANGE = 0xE3
TOKEN_DONE = 0xFD
TOKEN_DONEPROC = 0xFE

ENV_DATABASE = 1
ENV_LANGUAGE = 2
ENV_PACKET_SIZE = 4
ENV_SQL_COLLATION = 7

DONE_MORE = 0x0001
DONE_ERROR = 0x0002
DONE_COUNT = 0x0010
DONE_ATTN = 0x0020

COLUMN_NULLABLE = 0x0001
TYPE_INTN = 0x26
TYPE_FLTN = 0x6D
TYPE_BIGVARBINARY = 0xA5
TYPE_NVARCHAR = 0xE7
PLP_NULL = 0xFFFFFFFFFFFFFFFF
NVARCHAR_MAX_CHARS = 4000
VARBINARY_MAX_BYTES = 8000


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def with_length(token, body):
    return bytes([token]) + struct.pack("<H", len(body)) + body


def env_change(kind, new, old):
    return with_length(TOKEN_ENVCHANGE, bytes([kind]) + b_varchar(new) + b_varchar(old))


def env_change_collation(collation):
    body = bytes([ENV_SQL_COLLATION, len(collation)]) + collation + b"\x00"
    return with_length(TOKEN_ENVCHANGE, body)


def message_token(message, server_name):
    token = TOKEN_ERROR if message.is_error else TOKEN_INFO
    body = (struct.pack("<iBB", message.number, message.state, message.severity) +
            us_varchar(message.text) + b_varchar(server_name) + b_varchar(message.procedure) +
            struct.pack("<i", message.line))
    return with_length(token, body)


def login_ack(tds_version):
    major, minor, build, _sub_build = catalog.PRODUCT_VERSION
    body = (b"\x01" + struct.pack(">I", tds_version) + b_varchar(catalog.PRODUCT_NAME) +
            struct.pack(">BBH", major, minor, build))
    return with_length(TOKEN_LOGINACK, body)


def feature_ext_ack():
    """Acknowledges no feature: the terminator alone."""
    return bytes([TOKEN_FEATUREEXTACK, 0xFF])


def done(status, command, count, token=TOKEN_DONE):
    return bytes([token]) + struct.pack("<HHQ", status, command, count)


def return_status(value):
    return bytes([TOKEN_RETURNSTATUS]) + struct.pack("<i", value)


def column_type_info(column):
    if column.kind is ColumnKind.INT:
        return bytes([TYPE_INTN, 4])
    if column.kind is ColumnKind.BIGINT:
        return bytes([TYPE_INTN, 8])
    if column.kind is ColumnKind.FLOAT:
        return bytes([TYPE_FLTN, 8])
    if column.kind is ColumnKind.VARBINARY:
        return bytes([TYPE_BIGVARBINARY]) + struct.pack("<H", VARBINARY_MAX_BYTES)
    if column.kind is ColumnKind.NVARCHAR:
        return bytes([TYPE_NVARCHAR]) + struct.pack("<H", 2 * NVARCHAR_MAX_CHARS) + \
            catalog.COLLATION
    if column.kind is ColumnKind.NVARCHAR_MAX:
        return bytes([TYPE_NVARCHAR]) + struct.pack("<H", 0xFFFF) + catalog.COLLATION
    raise ValueError(column.kind)


def col_metadata(columns):
    body = bytearray([TOKEN_COLMETADATA]) + struct.pack("<H", len(columns))
    for column in columns:
        body += struct.pack("<IH", 0, COLUMN_NULLABLE) + column_type_info(column)
        body += b_varchar(column.name)
    return bytes(body)


def column_value(kind, value):
    if kind in (ColumnKind.INT, ColumnKind.BIGINT):
        if value is None:
            return b"\x00"
        size = 4 if kind is ColumnKind.INT else 8
        return bytes([size]) + value.to_bytes(size, "little", signed=True)
    if kind is ColumnKind.FLOAT:
        return b"\x00" if value is None else b"\x08" + struct.pack("<d", value)
    if kind is ColumnKind.VARBINARY:
        return b"\xff\xff" if value is None else struct.pack("<H", len(value)) + value
    if kind is ColumnKind.NVARCHAR:
        if value is None:
            return b"\xff\xff"
        data = value.encode("utf-16-le", errors="surrogatepass")
        return struct.pack("<H", len(data)) + data
    if kind is ColumnKind.NVARCHAR_MAX:
        if value is None:
            return struct.pack("<Q", PLP_NULL)
        data = value.encode("utf-16-le", errors="surrogatepass")
        chunk = struct.pack("<I", len(data)) + data if data else b""
        return struct.pack("<Q", len(data)) + chunk + struct.pack("<I", 0)
    raise ValueError(kind)


def row(columns, values):
    return bytes([TOKEN_ROW]) + b"".join(
        column_value(column.kind, value) for column, value in zip(columns, values))


# ---------------------------------------------------------------- replies


def encode_replies(replies, server_name):
    """Turns the replies to one request into its token stream. Every DONE but the last
    announces more to come."""
    done_positions = [i for i, reply in enumerate(replies)
                      if isinstance(reply, (Done, ProcedureDone))]
    if not done_positions or done_positions[-1] != len(replies) - 1:
        raise ValueError("a reply must end with its DONE")
    last = done_positions[-1]
    stream = bytearray()
    for i, reply in enumerate(replies):
        stream += encode_reply(reply, server_name, more=i != last)
    return bytes(stream)


def encode_reply(reply, server_name, more):
    if isinstance(reply, Message):
        return message_token(reply, server_name)
    if isinstance(reply, DatabaseChanged):
        return env_change(ENV_DATABASE, reply.new, reply.old)
    if isinstance(reply, LanguageChanged):
        return env_change(ENV_LANGUAGE, reply.new, reply.old)
    if isinstance(reply, ResultSet):
        return col_metadata(reply.columns) + b"".join(
            row(reply.columns, values) for values in reply.rows)
    if isinstance(reply, Done):
        return done(done_status(reply, more), reply.command, reply.count or 0)
    if isinstance(reply, ProcedureDone):
        status = (DONE_MORE if more else 0) | (DONE_ERROR if reply.error else 0)
        status_token = b"" if reply.return_status is None else return_status(
            reply.return_status)
        return status_token + done(status, reply.command, 0, TOKEN_DONEPROC)
    raise TypeError(reply)


def done_status(reply, more):
    status = DONE_MORE if more else 0
    if reply.error:
        status |= DONE_ERROR
    if reply.count is not None:
        status |= DONE_COUNT
    if reply.attention:
        status |= DONE_ATTN
    return status

