"""The running server against real clients: FreeTDS's ODBC driver through the calls the
wizard makes, unixODBC's isql, FreeTDS's tsql and python-tds; and a bare TDS client for
attention, packet sizes and the stopped service."""

import os
import shutil
import socket
import struct
import subprocess
import unittest

import pytds

from tests import kolvera_batches as kolvera
from tests import odbc_client
from tests.support import (DEADLINE_SECONDS, SA_PASSWORD, RawClient, ServerProcess, Workspace,
                           sql_batch)

ODBC_CONFIG = None


def setUpModule():
    global ODBC_CONFIG
    ODBC_CONFIG = odbc_client.odbc_config_folder()
    os.environ["ODBCSYSINI"] = ODBC_CONFIG


def tearDownModule():
    shutil.rmtree(ODBC_CONFIG, ignore_errors=True)


class ServerTestCase(unittest.TestCase):
    with_files = True

    def setUp(self):
        self.workspace = Workspace(with_files=self.with_files)
        self.addCleanup(self.workspace.remove)
        self.server = self.start_server()

    def start_server(self, *arguments):
        server = ServerProcess(self.workspace, *arguments)
        self.addCleanup(server.stop)
        return server

    def odbc(self, **options):
        connection = odbc_client.Connection(self.server.odbc_connection_string(**options))
        self.addCleanup(connection.close)
        return connection


class OdbcStageTest(ServerTestCase):
    """The database stage as the wizard runs it, over one ODBC connection."""

    def run_stage(self, connection):
        outcomes = [connection.execute(text) for text in
                    kolvera.PROVISIONING + (kolvera.CHECK_QUERY, kolvera.COMPATIBILITY) +
                    kolvera.INDEX_SCRIPT]
        return outcomes

    def test_first_and_second_run(self):
        first = self.run_stage(self.odbc())
        self.assertEqual([outcome.succeeded for outcome in first], [True] * 36)
        self.assertEqual(first[5].results[0].columns, ["alis_sira", "urun_id"])
        self.assertEqual(first[5].results[0].rows, [["1", "1001"]])
        self.assertEqual([(d.native, d.text) for d in first[7].diagnostics],
                         [(5701, "[FreeTDS][SQL Server]Changed database context to "
                                 "'kolvera'.")])

        second = self.run_stage(self.odbc())
        self.assertEqual([outcome.error_numbers for outcome in second],
                         [[1801], [15025], [], [], [15023], [], [], []] + [[1913]] * 28)
        self.assertEqual(second[0].diagnostics[0].text,
                         "[FreeTDS][SQL Server]Database 'kolvera' already exists. Choose a "
                         "different database name.")

    def test_the_log_holds_each_batch_as_received(self):
        connection = self.odbc()
        connection.execute(kolvera.INDEX_SCRIPT[3])
        entries = self.workspace.log_entries()
        self.assertEqual(entries[0], {"event": "login", "user": "sa", "ok": True})
        self.assertEqual(entries[-1]["batch"], "\r\nCREATE NONCLUSTERED INDEX IX_hasta ON "
                                               "dbo.hasta\r\n\t(\r\n\tid\r\n\t) ON [PRIMARY]\r\n")
        self.assertEqual(entries[-1]["error"]["number"], 1088)

    def test_a_multi_statement_batch_gives_every_result(self):
        outcome = self.odbc().execute("select 1 as a; select 'b' as b, @@spid")
        self.assertTrue(outcome.succeeded)
        self.assertEqual([(result.columns, result.rows[0][0]) for result in outcome.results],
                         [(["a"], "1"), (["b", ""], "b")])

    def test_a_refused_login_fails_the_connect_with_the_server_messages(self):
        cases = [
            ({"password": "9"}, [18456]),
            ({"database": "nodb"}, [4060, 18456]),
        ]
        for options, numbers in cases:
            with self.subTest(options=options):
                with self.assertRaises(odbc_client.OdbcError) as raised:
                    self.odbc(**options)
                diagnostics = raised.exception.diagnostics
                # The driver lists the more severe message first.
                self.assertEqual(sorted(d.native for d in diagnostics if d.native), numbers)
                self.assertIn("[FreeTDS][SQL Server]Login failed for user 'sa'.",
                              [d.text for d in diagnostics])
                self.assertEqual(self.workspace.log_entries()[-1],
                                 {"event": "login", "user": "sa", "ok": False})


class OdbcMissingFilesTest(ServerTestCase):
    with_files = False

    def test_the_check_query_fails(self):
        connection = self.odbc()
        self.assertEqual(connection.execute(kolvera.ATTACH).error_numbers, [5120, 1802])
        outcome = connection.execute(kolvera.CHECK_QUERY)
        self.assertFalse(outcome.succeeded)
        self.assertEqual(outcome.error_numbers, [208])


class CommandLineClientTest(ServerTestCase):
    def run_client(self, command, text):
        completed = subprocess.run(command, input=text, capture_output=True, text=True,
                                   timeout=DEADLINE_SECONDS,
                                   env=dict(os.environ, TDSVER="7.4"))
        return completed.stdout + completed.stderr

    def test_isql_with_sql_driver_connect_and_exec_direct(self):
        output = self.run_client(
            ["isql", "-b", "-v", "-k", "-e", "-d|", self.server.odbc_connection_string()],
            kolvera.ATTACH.strip() + "\n" + kolvera.CHECK_QUERY.strip() + "\n" +
            "USE nope\n\n")
        self.assertIn("1|1001", output)
        self.assertIn("Database 'nope' does not exist. Make sure that the name is entered "
                      "correctly.", output)

    def test_tsql(self):
        output = self.run_client(
            ["tsql", "-H", "127.0.0.1", "-p", str(self.server.port), "-U", "sa", "-P",
             SA_PASSWORD],
            "select top 1 * from kolvera.dbo.alis\ngo\n" + kolvera.ATTACH + "go\n" +
            "select top 1 * from kolvera.dbo.alis\ngo\nexit\n")
        self.assertIn("Msg 208 (severity 16, state 1)", output)
        self.assertIn("Invalid object name 'kolvera.dbo.alis'.", output)
        self.assertIn("1\t1001", output)


class PythonTdsTest(ServerTestCase):
    def connect(self, **options):
        options = {"user": "sa", "password": SA_PASSWORD} | options
        connection = pytds.connect(dsn="127.0.0.1", port=self.server.port, autocommit=True,
                                   login_timeout=DEADLINE_SECONDS, **options)
        self.addCleanup(connection.close)
        return connection

    def test_rows_types_and_errors(self):
        cursor = self.connect(database="master").cursor()
        cursor.execute(kolvera.ATTACH)
        cursor.execute(kolvera.CHECK_QUERY)
        self.assertEqual(cursor.fetchall(), [(1, 1001)])
        with self.assertRaises(pytds.OperationalError) as raised:
            cursor.execute("USE nope")
        self.assertEqual(raised.exception.number, 911)
        cursor.execute("USE kolvera")
        cursor.execute("select db_name(), suser_sname()")
        self.assertEqual(cursor.fetchall(), [("kolvera", "sa")])

    def test_a_wrong_password_refuses_the_login(self):
        with self.assertRaises(pytds.OperationalError) as raised:
            self.connect(password="9")
        self.assertEqual((raised.exception.number, raised.exception.severity,
                          raised.exception.state), (18456, 14, 1))


class ProtocolTest(ServerTestCase):
    def client(self):
        client = RawClient(self.server.port)
        self.addCleanup(client.close)
        return client

    def test_attention_is_acknowledged(self):
        client = self.client()
        client.log_in()
        client.send(0x01, sql_batch("select 1"))
        client.read_reply()
        client.send(0x06, b"")
        self.assertEqual(client.read_reply(), bytes([0xFD]) + struct.pack("<HHQ", 0x20, 0, 0))

    def test_replies_keep_to_the_negotiated_packet_size(self):
        client = self.client()
        reply = client.log_in(packet_size=512)
        self.assertIn(bytes([0xE3]), reply)
        client.send(0x01, sql_batch("select '" + "x" * 3000 + "'"))
        packets = client.read_packets()
        self.assertGreater(len(packets), 10)
        self.assertTrue(all(header[2] <= 512 for header, _ in packets))
        self.assertEqual([header[4] for header, _ in packets], list(range(1, len(packets) + 1)))

    def test_a_failed_login_is_answered_then_closed(self):
        client = self.client()
        reply = client.log_in(password="wrong")
        self.assertEqual(reply[0], 0xAA)
        self.assertEqual(struct.unpack_from("<iBB", reply, 3), (18456, 1, 14))
        self.assertEqual(client.sock.recv(1), b"")

    def test_a_stopped_service_closes_connections_until_its_flag_exists(self):
        flag = os.path.join(self.workspace.root, "service-running")
        server = self.start_server("--service-flag", flag)
        with socket.create_connection(("127.0.0.1", server.port),
                                      timeout=DEADLINE_SECONDS) as refused:
            self.assertEqual(refused.recv(1), b"")
        open(flag, "w").close()
        client = RawClient(server.port)
        self.addCleanup(client.close)
        self.assertIn(bytes([0xAD]), client.log_in())

    def test_the_state_survives_a_restart(self):
        self.odbc().execute(kolvera.ATTACH + kolvera.ADD_LOGIN)
        self.server.stop()
        self.server = self.start_server()
        with self.odbc() as connection:
            self.assertEqual(connection.execute(kolvera.ATTACH).error_numbers, [1801])
        restarted = odbc_client.Connection(self.server.odbc_connection_string().replace(
            f"UID=sa;PWD={SA_PASSWORD}", f"UID=kolvera;PWD={kolvera.LOGIN_PASSWORD}"))
        self.addCleanup(restarted.close)
        self.assertTrue(restarted.connected)


if __name__ == "__main__":
    unittest.main()
