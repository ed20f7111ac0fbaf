"""The wire format: packets, pre-login, LOGIN7 and the token stream of a reply."""

import socket
import struct
import unittest

import tds
from replies import Column, ColumnKind, Done, Message, ProcedureDone, ResultSet
from tests.support import login7, sql_batch

HEADER = struct.Struct(">BBHHBB")


class PacketTest(unittest.TestCase):
    def test_a_long_message_is_split_at_the_packet_size(self):
        payload = bytes(range(256)) * 10
        framed = tds.frame_message(tds.TABULAR_RESULT, payload, 512, 51)
        packets, position = [], 0
        while position < len(framed):
            header = HEADER.unpack_from(framed, position)
            packets.append(header)
            position += header[2]
        self.assertTrue(all(length <= 512 for _, _, length, _, _, _ in packets))
        self.assertEqual([status for _, status, _, _, _, _ in packets],
                         [0] * (len(packets) - 1) + [tds.STATUS_EOM])
        self.assertEqual([packet_id for _, _, _, _, packet_id, _ in packets],
                         list(range(1, len(packets) + 1)))
        self.assertEqual({spid for _, _, _, spid, _, _ in packets}, {51})

    def test_reading_joins_packets_and_skips_ignored_messages(self):
        client, server = socket.socketpair()
        self.addCleanup(client.close)
        self.addCleanup(server.close)
        client.sendall(HEADER.pack(1, 0, 11, 0, 1, 0) + b"abc" +
                       HEADER.pack(1, tds.STATUS_EOM | tds.STATUS_IGNORE, 9, 0, 2, 0) + b"d" +
                       HEADER.pack(1, 0, 10, 0, 1, 0) + b"ef" +
                       HEADER.pack(1, tds.STATUS_EOM, 9, 0, 2, 0) + b"g")
        self.assertEqual(tds.read_message(server), (1, b"efg"))

    def test_malformed_packets_are_protocol_errors(self):
        cases = [
            HEADER.pack(1, 1, 4, 0, 1, 0),  # shorter than its header
            HEADER.pack(1, 0, 9, 0, 1, 0) + b"a" + HEADER.pack(3, 1, 9, 0, 2, 0) + b"b",
        ]
        for data in cases:
            with self.subTest(data=data):
                client, server = socket.socketpair()
                try:
                    client.sendall(data)
                    with self.assertRaises(tds.ProtocolError):
                        tds.read_message(server)
                finally:
                    client.close()
                    server.close()

    def test_a_closed_peer_ends_the_read(self):
        client, server = socket.socketpair()
        client.sendall(HEADER.pack(1, 1, 20, 0, 1, 0) + b"abc")
        client.close()
        with self.assertRaises(tds.ConnectionClosed):
            tds.read_message(server)
        server.close()


class LoginTest(unittest.TestCase):
    def test_prelogin_reply_refuses_encryption(self):
        options = tds.parse_prelogin(tds.build_prelogin_reply())
        self.assertEqual(options[tds.PL_ENCRYPTION], bytes([tds.ENCRYPT_NOT_SUP]))
        self.assertEqual(options[tds.PL_VERSION][:2], bytes([13, 0]))

    def test_login7_fields_and_password(self):
        login = tds.parse_login7(login7("sa", "Şifre!1", database="master", packet_size=8192))
        self.assertEqual((login.user_name, login.password, login.database, login.packet_size,
                          login.tds_version),
                         ("sa", "Şifre!1", "master", 8192, tds.TDS_7_4))

    def test_a_field_outside_the_message_is_refused(self):
        message = bytearray(login7("sa", "x"))
        struct.pack_into("<H", message, 42, 1000)  # user name length
        with self.assertRaises(tds.ProtocolError):
            tds.parse_login7(bytes(message))

    def test_packet_size_is_kept_within_what_tds_allows(self):
        self.assertEqual([tds.negotiated_packet_size(size) for size in (0, 100, 4096, 65535)],
                         [4096, 512, 4096, 32767])

    def test_batch_text_follows_all_headers(self):
        self.assertEqual(tds.parse_sql_batch(sql_batch("USE KOLVERA\r\n")), "USE KOLVERA\r\n")


class ReplyTest(unittest.TestCase):
    def done_tokens(self, stream):
        """(token, status, command, count) of the DONE tokens ending each reply below."""
        found, position = [], 0
        while position < len(stream):
            token = stream[position]
            if token in (tds.TOKEN_DONE, tds.TOKEN_DONEPROC):
                found.append((token,) + struct.unpack_from("<HHQ", stream, position + 1))
                position += 13
            elif token == tds.TOKEN_RETURNSTATUS:
                position += 5
            else:
                (length,) = struct.unpack_from("<H", stream, position + 1)
                position += 3 + length
        return found

    def test_every_done_but_the_last_announces_more(self):
        stream = tds.encode_replies([
            Message(5701, 1, 0, "x"), Done(),
            Message(208, 1, 16, "y"), Done(error=True),
            ProcedureDone(return_status=0), Done(count=3, command=0xC1),
        ], "HOST")
        self.assertEqual(self.done_tokens(stream), [
            (tds.TOKEN_DONE, tds.DONE_MORE, 0, 0),
            (tds.TOKEN_DONE, tds.DONE_MORE | tds.DONE_ERROR, 0, 0),
            (tds.TOKEN_DONEPROC, tds.DONE_MORE, 0xE0, 0),
            (tds.TOKEN_DONE, tds.DONE_COUNT, 0xC1, 3),
        ])

    def test_attention_is_acknowledged_with_its_bit(self):
        self.assertEqual(tds.encode_replies([Done(attention=True)], "HOST"),
                         bytes([tds.TOKEN_DONE]) + struct.pack("<HHQ", tds.DONE_ATTN, 0, 0))

    def test_a_reply_must_end_with_done(self):
        with self.assertRaises(ValueError):
            tds.encode_replies([Message(1, 1, 16, "x")], "HOST")

    def test_row_values(self):
        cases = [
            (ColumnKind.INT, None, b"\x00"),
            (ColumnKind.INT, -2, b"\x04" + struct.pack("<i", -2)),
            (ColumnKind.BIGINT, 2 ** 40, b"\x08" + struct.pack("<q", 2 ** 40)),
            (ColumnKind.FLOAT, 1.5, b"\x08" + struct.pack("<d", 1.5)),
            (ColumnKind.NVARCHAR, None, b"\xff\xff"),
            (ColumnKind.NVARCHAR, "ğü", b"\x04\x00" + "ğü".encode("utf-16-le")),
            (ColumnKind.VARBINARY, b"\x01", b"\x01\x00\x01"),
            (ColumnKind.NVARCHAR_MAX, None, b"\xff" * 8),
            (ColumnKind.NVARCHAR_MAX, "ab",
             struct.pack("<QI", 4, 4) + "ab".encode("utf-16-le") + struct.pack("<I", 0)),
        ]
        for kind, value, encoded in cases:
            with self.subTest(kind=kind, value=value):
                self.assertEqual(tds.row([Column("c", kind)], [value]), b"\xd1" + encoded)

    def test_an_error_token_carries_number_state_class_and_line(self):
        stream = tds.encode_replies([Message(1913, 1, 16, "t", "p", 3), Done(error=True)], "H")
        self.assertEqual(stream[0], tds.TOKEN_ERROR)
        number, state, severity = struct.unpack_from("<iBB", stream, 3)
        self.assertEqual((number, state, severity), (1913, 1, 16))
        (length,) = struct.unpack_from("<H", stream, 1)
        (line,) = struct.unpack_from("<i", stream, 3 + length - 4)
        self.assertEqual(line, 3)

    def test_a_result_set_is_metadata_then_rows(self):
        columns = [Column("alis_sira", ColumnKind.INT)]
        stream = tds.encode_replies([ResultSet(columns, [(1,), (2,)]), Done(count=2)], "H")
        self.assertEqual(stream[0], tds.TOKEN_COLMETADATA)
        self.assertEqual(stream.count(bytes([tds.TOKEN_ROW, 4])), 2)


if __name__ == "__main__":
    unittest.main()
