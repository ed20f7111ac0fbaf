"""The statements of the database stage against the engine and a real data file, without
sockets: what each answers, what it changes, and what survives a restart."""

import os
import sqlite3
import unittest

from datafile import DataFile
from engine import LoginFailed
from replies import DatabaseChanged, Done, Message, ProcedureDone, ResultSet
from tests import kolvera_batches as kolvera
from tests.support import DATA_FILE, LOG_FILE_PATH, SA_PASSWORD, Workspace, make_engine


def errors(replies):
    return [(reply.number, reply.text) for reply in replies
            if isinstance(reply, Message) and reply.is_error]


def error_numbers(replies):
    return [number for number, _ in errors(replies)]


class EngineTestCase(unittest.TestCase):
    with_files = True
    empty_alis = False

    def setUp(self):
        self.workspace = Workspace(with_files=self.with_files, empty_alis=self.empty_alis)
        self.addCleanup(self.workspace.remove)
        self.engine = make_engine(self.workspace)
        self.session = self.engine.authenticate("sa", SA_PASSWORD, "master", "")

    def run_batch(self, text, session=None):
        return self.engine.execute_batch(session or self.session, text)

    def run_stage(self):
        """Statements 1 to 7 and the index script, as the wizard sends them; returns the
        error numbers of each batch."""
        batches = kolvera.PROVISIONING + (kolvera.CHECK_QUERY, kolvera.COMPATIBILITY) + \
            kolvera.INDEX_SCRIPT
        return [error_numbers(self.run_batch(text)) for text in batches]

    def data_file(self):
        return DataFile(self.workspace.data_path)

    def restarted_engine(self):
        return make_engine(self.workspace)


class DatabaseStageTest(EngineTestCase):
    def test_a_first_run_succeeds_at_every_batch(self):
        self.assertEqual(self.run_stage(), [[]] * (7 + 29))
        self.assertEqual(self.session.database, "kolvera")

    def test_the_check_query_returns_the_first_purchase(self):
        for text in kolvera.PROVISIONING:
            self.run_batch(text)
        result, done = self.run_batch(kolvera.CHECK_QUERY)
        self.assertIsInstance(result, ResultSet)
        self.assertEqual([column.name for column in result.columns], ["alis_sira", "urun_id"])
        self.assertEqual(result.rows, [(1, 1001)])
        self.assertEqual(done.count, 1)

    def test_a_second_run_meets_already_exists_and_changes_nothing(self):
        self.run_stage()
        with self.data_file() as data_file:
            indexes_before = data_file.indexes()
        # The wizard run again connects anew, in master.
        self.session = self.engine.authenticate("sa", SA_PASSWORD, "master", "")
        second = self.run_stage()
        self.assertEqual(second[:7], [[1801], [15025], [], [], [15023], [], []])
        self.assertEqual(second[7], [])  # USE KOLVERA
        self.assertEqual(second[8:], [[1913]] * 28)
        with self.data_file() as data_file:
            self.assertEqual(data_file.indexes(), indexes_before)

    def test_every_index_has_its_key_columns_in_order_and_direction(self):
        self.run_stage()
        with self.data_file() as data_file:
            found = {index.name: (index.table, index.keys) for index in data_file.indexes()}
        expected = {name: (table, kolvera.expected_keys(keys))
                    for name, table, keys, _, _ in kolvera.INDEXES}
        self.assertEqual(found, expected)
        self.assertEqual(found["IX_recete"][1][-1], ("yakinlik_id", False))
        self.assertEqual(found["IX_recete_1"][1][-1], ("ilaci_alan_kisi", True))

    def test_the_stage_leaves_login_role_user_and_level_in_a_restarted_server(self):
        self.run_stage()
        state = self.restarted_engine().state
        login = state.login("KOLVERA")
        self.assertEqual((login.name, login.password, login.default_database,
                          login.default_language),
                         ("kolvera", kolvera.LOGIN_PASSWORD, "kolvera", "Türkçe"))
        self.assertTrue(state.is_role_member("sysadmin", "kolvera"))
        self.assertEqual(state.database("master").users, [{"name": "kolvera",
                                                           "login": "kolvera"}])
        database = state.database("kolvera")
        self.assertEqual(database.data_files, [DATA_FILE])
        self.assertEqual(database.log_files, [LOG_FILE_PATH])
        self.assertEqual(database.compatibility_level, 130)
        with self.data_file() as data_file:
            self.assertEqual(data_file.compatibility_level, 130)

    def test_the_product_login_can_log_in_to_its_default_database(self):
        self.run_stage()
        session = self.restarted_engine().authenticate("kolvera", kolvera.LOGIN_PASSWORD, "",
                                                       "")
        self.assertEqual((session.login, session.database, session.language),
                         ("kolvera", "kolvera", "Türkçe"))


class MissingFilesTest(EngineTestCase):
    with_files = False

    def test_attach_reports_the_missing_file_and_the_failed_create(self):
        replies = self.run_batch(kolvera.ATTACH)
        self.assertEqual(errors(replies), [
            (5120, 'Unable to open the physical file "c:\\kolvera\\data\\kolvera_data.mdf". '
                   'Operating system error 2: "2(The system cannot find the file specified.)".'),
            (1802, "CREATE DATABASE failed. Some file names listed could not be created. "
                   "Check related errors."),
        ])
        self.assertEqual(replies[-1], Done(error=True))

    def test_the_stage_fails_at_the_check_query_and_touches_no_index(self):
        outcome = self.run_stage()
        self.assertEqual(outcome[0], [5120, 1802])
        self.assertEqual(outcome[1], [15010])  # the default database kolvera does not exist
        self.assertEqual(outcome[5], [208])
        self.assertEqual(outcome[7], [911])
        self.assertEqual(outcome[8:], [[1088]] * 28)
        self.assertIsNone(self.engine.state.database("kolvera"))

    def test_messages_quote_names_as_written(self):
        cases = [
            (kolvera.CHECK_QUERY, 208, "Invalid object name 'kolvera.dbo.alis'."),
            ("USE KOLVERA", 911,
             "Database 'KOLVERA' does not exist. Make sure that the name is entered correctly."),
            (kolvera.INDEX_SCRIPT[1], 1088, 'Cannot find the object "dbo.doktor" because it '
                                            'does not exist or you do not have permissions.'),
            (kolvera.COMPATIBILITY, 5011,
             "User does not have permission to alter database 'kolvera', the database does not "
             "exist, or the database is not in a state that allows access checks."),
        ]
        for text, number, message_text in cases:
            with self.subTest(text=text):
                self.assertEqual(errors(self.run_batch(text))[0], (number, message_text))

    def test_a_missing_folder_is_error_3(self):
        replies = self.run_batch("create database x ON (FILENAME = 'c:\\nowhere\\x.mdf') "
                                 "FOR ATTACH")
        self.assertIn('Operating system error 3: "3(The system cannot find the path '
                      'specified.)"', errors(replies)[0][1])


class EmptyAlisTest(EngineTestCase):
    empty_alis = True

    def test_the_check_query_succeeds_without_rows(self):
        self.run_batch(kolvera.ATTACH)
        result, done = self.run_batch(kolvera.CHECK_QUERY)
        self.assertEqual(result.rows, [])
        self.assertEqual(done, Done(count=0, command=done.command))


class AttachTest(EngineTestCase):
    def test_an_attached_database_keeps_the_level_its_file_carries(self):
        with sqlite3.connect(self.workspace.data_path) as connection:
            connection.execute("PRAGMA user_version = 110")
        self.run_batch(kolvera.ATTACH)
        self.assertEqual(self.engine.state.database("kolvera").compatibility_level, 110)

    def test_a_file_attached_under_another_name_is_in_use(self):
        self.run_batch(kolvera.ATTACH)
        replies = self.run_batch(kolvera.ATTACH.replace("database kolvera", "database other"))
        self.assertEqual(error_numbers(replies), [5120, 1802])
        self.assertIn("Operating system error 32", errors(replies)[0][1])

    def test_a_file_that_is_no_database_is_refused(self):
        with open(self.workspace.data_path, "wb") as file:
            file.write(b"\0" * 4096)
        replies = self.run_batch(kolvera.ATTACH)
        self.assertEqual(errors(replies)[0][0], 5172)
        self.assertIsNone(self.engine.state.database("kolvera"))

    def test_windows_path_case_does_not_matter(self):
        replies = self.run_batch(kolvera.ATTACH.replace("c:\\kolvera\\data", "C:\\KOLVERA\\DATA"))
        self.assertEqual(errors(replies), [])


class IndexTest(EngineTestCase):
    def setUp(self):
        super().setUp()
        self.run_batch(kolvera.ATTACH)
        self.run_batch("USE kolvera")

    def test_refusals(self):
        cases = [
            ("CREATE NONCLUSTERED INDEX IX_a ON dbo.alis (nope) ON [PRIMARY]", 1911,
             "Column name 'nope' does not exist in the target table or view."),
            ("CREATE NONCLUSTERED INDEX IX_a ON dbo.alis (urun_id, URUN_ID) ON [PRIMARY]", 1909,
             "Cannot use duplicate column names in index. Column name 'URUN_ID' listed more than "
             "once."),
            ("CREATE NONCLUSTERED INDEX IX_a ON dbo.alis (urun_id) ON [fg2]", 1921,
             "Invalid filegroup 'fg2' specified."),
            ("CREATE NONCLUSTERED INDEX IX_a ON dbo.nope (id) ON [PRIMARY]", 1088,
             'Cannot find the object "dbo.nope" because it does not exist or you do not have '
             'permissions.'),
            ("CREATE NONCLUSTERED INDEX IX_a ON other.alis (urun_id) ON [PRIMARY]", 1088,
             'Cannot find the object "other.alis" because it does not exist or you do not have '
             'permissions.'),
        ]
        for text, number, message_text in cases:
            with self.subTest(text=text):
                self.assertEqual(errors(self.run_batch(text)), [(number, message_text)])
        with self.data_file() as data_file:
            self.assertEqual(data_file.indexes(), [])

    def test_an_index_name_exists_per_table(self):
        self.run_batch("CREATE INDEX IX_x ON dbo.alis (urun_id)")
        self.assertEqual(errors(self.run_batch("create index ix_X on DBO.ALIS (alis_sira)")), [
            (1913, "The operation failed because an index or statistics with name 'ix_X' "
                   "already exists on table 'DBO.ALIS'.")])
        self.assertEqual(errors(self.run_batch("CREATE INDEX IX_x ON dbo.urun (id)")), [])

    def test_a_three_part_name_reaches_another_database_from_master(self):
        self.run_batch("USE master")
        self.assertEqual(errors(self.run_batch("CREATE INDEX IX_x ON kolvera.dbo.urun (id)")),
                         [])


class CompatibilityLevelTest(EngineTestCase):
    def test_levels_outside_sql_server_2016_are_refused(self):
        self.run_batch(kolvera.ATTACH)
        replies = self.run_batch("ALTER DATABASE kolvera SET COMPATIBILITY_LEVEL = 90")
        self.assertEqual(errors(replies), [
            (15048, "Valid values of the database compatibility level are 100, 110, 120, "
                    "or 130.")])
        self.assertEqual(self.engine.state.database("kolvera").compatibility_level, 100)

    def test_a_missing_database_fails_the_alter_statement(self):
        self.assertEqual(error_numbers(self.run_batch(kolvera.COMPATIBILITY)), [5011, 5069])


class ProcedureTest(EngineTestCase):
    def setUp(self):
        super().setUp()
        self.run_batch(kolvera.ATTACH)

    def test_errors_and_return_status(self):
        cases = [
            ("exec sp_defaultdb 'nobody','kolvera'", 15151,
             "Cannot alter the login 'nobody', because it does not exist or you do not have "
             "permission."),
            ("exec sp_defaultdb 'sa','nodb'", 15010,
             "The database 'nodb' does not exist. Supply a valid database name. To see available "
             "databases, use sys.databases."),
            ("exec sp_addsrvrolemember 'nobody','sysadmin'", 15007,
             "'nobody' is not a valid login or you do not have permission."),
            ("exec sp_addsrvrolemember 'sa','admins'", 15402, "'admins' is not a fixed server role."),
            ("exec sp_grantdbaccess 'nobody'", 15007,
             "'nobody' is not a valid login or you do not have permission."),
            ("exec sp_addlogin 'x','p','kolvera','klingon'", 15033,
             "'klingon' is not a valid official language name."),
            ("exec sp_defaultdb 'sa'", 201,
             "Procedure or function 'sp_defaultdb' expects parameter '@defdb', which was not "
             "supplied."),
            ("exec sp_defaultdb 'sa','master','x'", 8144,
             "Procedure or function sp_defaultdb has too many arguments specified."),
            ("exec sp_nothing 'x'", 2812, "Could not find stored procedure 'sp_nothing'."),
            ("go", 2812, "Could not find stored procedure 'go'."),
        ]
        for text, number, message_text in cases:
            with self.subTest(text=text):
                replies = self.run_batch(text)
                self.assertEqual(errors(replies), [(number, message_text)])
                self.assertTrue(replies[-1].error)

    def test_success_returns_status_zero(self):
        replies = self.run_batch("exec sp_addlogin @loginame = 'app', @passwd = 'pw', "
                                 "@defdb = 'kolvera'")
        self.assertEqual(replies, [ProcedureDone(return_status=0)])
        login = self.engine.state.login("app")
        self.assertEqual((login.password, login.default_database, login.default_language),
                         ("pw", "kolvera", "us_english"))

    def test_a_member_added_twice_is_one_member(self):
        self.run_batch(kolvera.ADD_LOGIN)
        for _ in range(2):
            self.assertEqual(errors(self.run_batch(kolvera.ADD_TO_SYSADMIN)), [])
        self.assertEqual(self.engine.state.server_roles["sysadmin"], ["sa", "kolvera"])

    def test_a_user_is_granted_in_the_current_database(self):
        self.run_batch(kolvera.ADD_LOGIN)
        self.run_batch("USE kolvera")
        self.run_batch(kolvera.GRANT_ACCESS)
        self.assertEqual(self.engine.state.database("kolvera").users,
                         [{"name": "kolvera", "login": "kolvera"}])
        self.assertEqual(self.engine.state.database("master").users, [])


class BatchTest(EngineTestCase):
    def test_use_changes_the_database_and_says_so(self):
        self.run_batch(kolvera.ATTACH)
        replies = self.run_batch("USE KOLVERA")
        self.assertEqual(replies[0], DatabaseChanged("kolvera", "master"))
        self.assertEqual((replies[1].number, replies[1].text, replies[1].is_error),
                         (5701, "Changed database context to 'kolvera'.", False))

    def test_an_empty_batch_succeeds_with_no_result(self):
        for text in ("", "\r\n", "  \r\n\t\r\n", "-- nothing\r\n"):
            with self.subTest(text=text):
                self.assertEqual(self.run_batch(text), [Done()])

    def test_a_syntax_error_runs_nothing_of_the_batch(self):
        self.run_batch(kolvera.ATTACH)
        replies = self.run_batch("USE kolvera\r\nselect from dbo.alis")
        self.assertEqual(errors(replies), [(156, "Incorrect syntax near the keyword 'from'.")])
        self.assertEqual(replies[0].line, 2)
        self.assertEqual(self.session.database, "master")

    def test_nocount_drops_the_row_count(self):
        replies = self.run_batch("SET NOCOUNT ON; SELECT 1")
        self.assertEqual(replies[-1].count, None)
        replies = self.run_batch("SET NOCOUNT OFF SELECT 1")
        self.assertEqual(replies[-1].count, 1)

    def test_connection_statements_of_clients(self):
        for text in ("SET TEXTSIZE 2147483647", "set ansi_nulls, quoted_identifier on",
                     "SET TRANSACTION ISOLATION LEVEL READ COMMITTED", "USE [master]",
                     "select @@spid", "SELECT @@VERSION", "select db_name(), suser_sname()"):
            with self.subTest(text=text):
                self.assertEqual(errors(self.run_batch(text)), [])

    def test_select_values(self):
        result = self.run_batch("select @@spid as spid, db_name(), 'x' label")[0]
        self.assertEqual([column.name for column in result.columns], ["spid", "", "label"])
        self.assertEqual(result.rows, [(self.session.spid, "master", "x")])

    def test_each_batch_is_logged_with_its_first_error(self):
        self.run_batch(kolvera.ADD_LOGIN)
        self.run_batch("select 1")
        entries = self.workspace.log_entries()
        self.assertEqual(entries[0], {"event": "login", "user": "sa", "ok": True})
        self.assertEqual(entries[1], {
            "login": "sa", "database": "master", "batch": kolvera.ADD_LOGIN,
            "error": {"number": 15010, "message":
                      "The database 'kolvera' does not exist. Supply a valid database name. "
                      "To see available databases, use sys.databases."}})
        self.assertEqual(entries[2]["error"], None)


class LoginTest(EngineTestCase):
    def test_refusals(self):
        cases = [
            (("sa", "2", "master"), [(18456, "Login failed for user 'sa'.")]),
            (("nobody", SA_PASSWORD, ""), [(18456, "Login failed for user 'nobody'.")]),
            (("sa", SA_PASSWORD, "nodb"), [
                (4060, 'Cannot open database "nodb" requested by the login. The login failed.'),
                (18456, "Login failed for user 'sa'.")]),
        ]
        for (user, password, database), expected in cases:
            with self.subTest(user=user, password=password, database=database):
                with self.assertRaises(LoginFailed) as failure:
                    self.engine.authenticate(user, password, database, "")
                self.assertEqual(errors(failure.exception.messages), expected)
        self.assertEqual([entry["ok"] for entry in self.workspace.log_entries()],
                         [True, False, False, False])

    def test_names_match_without_case_but_passwords_with(self):
        self.assertEqual(self.engine.authenticate("SA", SA_PASSWORD, "MASTER", "").database,
                         "master")

    def test_a_new_state_is_written_at_once(self):
        self.assertTrue(os.path.exists(os.path.join(self.workspace.state_dir, "state.json")))


if __name__ == "__main__":
    unittest.main()
