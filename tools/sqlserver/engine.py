"""Runs logins and batches against the server state. One batch runs at a time, so every
batch sees the state the previous one left."""

import itertools
import os
import threading
from dataclasses import dataclass

import catalog
import procedures
import resultset
from datafile import DataFile, NotADataFile
from lexer import LexError
from messages import (OS_SHARING_VIOLATION, compatibility_levels_text, message,
                      physical_file_error)
from parser import SqlSyntaxError, parse_batch
from replies import COMMAND_SELECT, DatabaseChanged, Done, ProcedureDone, ResultSet
from state import Database
from statements import (AlterCompatibilityLevel, AttachDatabase, CreateIndex, ExecuteProcedure,
                        SelectFromTable, SelectValues, SetOption, UseDatabase)

FIRST_USER_SPID = 51
DEFAULT_SCHEMA = "dbo"


@dataclass
class Session:
    spid: int
    login: str
    database: str
    language: str
    nocount: bool = False
    rowcount: int = 0  # SET ROWCOUNT: 0 returns every row


class LoginFailed(Exception):
    def __init__(self, messages):
        super().__init__(messages)
        self.messages = messages


class StatementFailed(Exception):
    def __init__(self, messages):
        super().__init__(messages)
        self.messages = messages


def fail(number, *arguments, line):
    return StatementFailed([message(number, *arguments, line=line)])


class Engine:
    def __init__(self, state, drive, log, server_name):
        self.state = state
        self.drive = drive
        self.log = log
        self.server_name = server_name
        self.lock = threading.Lock()
        self.spids = itertools.count(FIRST_USER_SPID)

    # ------------------------------------------------------------ login

    def authenticate(self, user, password, database, language):
        """Opens a session, or raises LoginFailed with the messages the client gets.
        database and language are the client's wishes; empty means the login's default."""
        with self.lock:
            try:
                session = self.open_session(user, password, database, language)
            except LoginFailed:
                self.log.login(user, False)
                raise
            self.log.login(user, True)
            return session

    def open_session(self, user, password, database, language):
        login = self.state.login(user)
        if login is None or login.password != password:
            raise LoginFailed([message(18456, user)])
        wanted = database or login.default_database
        found = self.state.database(wanted)
        if found is None:
            refusal = message(4060, wanted) if database else message(4064)
            raise LoginFailed([refusal, message(18456, user)])
        return Session(spid=next(self.spids), login=login.name, database=found.name,
                       language=catalog.language_named(language) or login.default_language)

    # ------------------------------------------------------------ batches

    def execute_batch(self, session, text):
        """Returns the replies to one batch, ending with its DONE, and logs the batch."""
        with self.lock:
            database = session.database
            replies = self.run_batch(session, text)
            first_error = next((reply for reply in replies
                                if getattr(reply, "is_error", False)), None)
            self.log.batch(session.login, database, text, first_error)
            return replies

    def run_batch(self, session, text):
        try:
            statements = parse_batch(text)
        except (LexError, SqlSyntaxError) as error:
            return [message(error.number, *error.arguments, line=error.line), Done(error=True)]
        replies = []
        for statement in statements:
            replies += self.run_statement(session, statement)
        return replies or [Done()]

    def run_statement(self, session, statement):
        handler = {
            UseDatabase: self.use_database,
            AttachDatabase: self.attach_database,
            AlterCompatibilityLevel: self.alter_compatibility_level,
            CreateIndex: self.create_index,
            ExecuteProcedure: self.execute_procedure,
            SelectFromTable: self.select_from_table,
            SelectValues: self.select_values,
            SetOption: self.set_option,
        }[type(statement)]
        try:
            return handler(session, statement)
        except StatementFailed as failure:
            if isinstance(statement, ExecuteProcedure):
                return failure.messages + [ProcedureDone(return_status=1, error=True)]
            return failure.messages + [Done(error=True)]

    def count(self, session, rows):
        return None if session.nocount else rows

    # ------------------------------------------------------------ USE

    def use_database(self, session, statement):
        database = self.state.database(statement.name)
        if database is None:
            raise fail(911, statement.name, line=statement.line)
        old = session.database
        session.database = database.name
        return [DatabaseChanged(database.name, old),
                message(5701, database.name, line=statement.line), Done()]

    # ------------------------------------------------------------ CREATE DATABASE ... FOR ATTACH

    def attach_database(self, session, statement):
        line = statement.line
        if self.state.database(statement.name) is not None:
            raise fail(1801, statement.name, line=line)
        in_use = self.files_in_use()
        for windows_path in statement.data_files + statement.log_files:
            resolution = self.drive.resolve(windows_path)
            os_error = resolution.os_error
            if os_error is None and os.path.realpath(resolution.path) in in_use:
                os_error = OS_SHARING_VIOLATION
            if os_error is not None:
                raise StatementFailed([physical_file_error(windows_path, os_error, line=line),
                                       message(1802, line=line)])
        primary = statement.data_files[0]
        try:
            with DataFile(self.drive.resolve(primary).path) as data_file:
                level = data_file.compatibility_level or catalog.DEFAULT_ATTACHED_LEVEL
        except NotADataFile:
            raise StatementFailed([message(5172, primary, line=line), message(1802, line=line)])
        self.state.add_database(Database(statement.name, list(statement.data_files),
                                         list(statement.log_files), level))
        self.state.save()
        return [Done()]

    def files_in_use(self):
        """The real paths of every file an attached database holds open."""
        in_use = set()
        for database in self.state.databases.values():
            for windows_path in database.data_files + database.log_files:
                resolution = self.drive.resolve(windows_path)
                if resolution.path is not None:
                    in_use.add(os.path.realpath(resolution.path))
        return in_use

    def open_data_file(self, database, line):
        """The data file of an attached database; a vanished file fails the statement."""
        resolution = self.drive.resolve(database.data_files[0])
        if resolution.os_error is not None:
            raise StatementFailed([physical_file_error(database.data_files[0],
                                                       resolution.os_error, line=line)])
        return DataFile(resolution.path)

    # ------------------------------------------------------------ ALTER DATABASE

    def alter_compatibility_level(self, session, statement):
        line = statement.line
        database = self.state.database(statement.database)
        if database is None:
            raise StatementFailed([message(5011, statement.database, line=line),
                                   message(5069, line=line)])
        if statement.level not in catalog.COMPATIBILITY_LEVELS:
            raise fail(15048, compatibility_levels_text(), line=line)
        if database.data_files:
            with self.open_data_file(database, line) as data_file:
                data_file.compatibility_level = statement.level
        database.compatibility_level = statement.level
        self.state.save()
        return [Done()]

    # ------------------------------------------------------------ tables

    def table_database(self, session, name):
        """The attached database a table name points into, or None: database part or the
        current database, schema part dbo or omitted."""
        if len(name.parts) > 3:
            return None
        schema = name.part(1) or DEFAULT_SCHEMA
        if schema.casefold() != DEFAULT_SCHEMA:
            return None
        database = self.state.database(name.part(2) or session.database)
        if database is None or not database.data_files:
            return None
        return database

    def create_index(self, session, statement):
        line = statement.line
        database = self.table_database(session, statement.table)
        if database is None:
            raise fail(1088, statement.table.written, line=line)
        with self.open_data_file(database, line) as data_file:
            table = data_file.table_named(statement.table.last)
            if table is None:
                raise fail(1088, statement.table.written, line=line)
            if statement.filegroup.casefold() != "primary":
                raise fail(1921, statement.filegroup, line=line)
            if data_file.has_index(table, statement.name):
                raise fail(1913, statement.name, statement.table.written, line=line)
            keys = self.index_keys(data_file.columns(table), statement.keys, line)
            data_file.create_index(table, statement.name, keys)
        return [Done()]

    @staticmethod
    def index_keys(columns, keys, line):
        by_name = {column.name.casefold(): column.name for column in columns}
        resolved = []
        for key in keys:
            column = by_name.get(key.column.casefold())
            if column is None:
                raise fail(1911, key.column, line=line)
            if any(column == chosen for chosen, _ in resolved):
                raise fail(1909, key.column, line=line)
            resolved.append((column, key.descending))
        return resolved

    def select_from_table(self, session, statement):
        line = statement.line
        database = self.table_database(session, statement.table)
        if database is None:
            raise fail(208, statement.table.written, line=line)
        with self.open_data_file(database, line) as data_file:
            table = data_file.table_named(statement.table.last)
            if table is None:
                raise fail(208, statement.table.written, line=line)
            columns = self.selected_columns(data_file.columns(table), statement.columns, line)
            rows = data_file.rows(table, [column.name for column in columns],
                                  self.row_limit(session, statement.top))
        result = resultset.result_set([column.name for column in columns],
                                      [column.declared_type for column in columns], rows)
        return [result, Done(count=self.count(session, len(rows)), command=COMMAND_SELECT)]

    @staticmethod
    def selected_columns(columns, wanted, line):
        if wanted == ("*",):
            return columns
        by_name = {column.name.casefold(): column for column in columns}
        chosen = []
        for name in wanted:
            column = by_name.get(name.casefold())
            if column is None:
                raise fail(207, name, line=line)
            chosen.append(column)
        return chosen

    @staticmethod
    def row_limit(session, top):
        limits = [limit for limit in (top, session.rowcount or None) if limit is not None]
        return min(limits) if limits else None

    # ------------------------------------------------------------ SELECT without a table

    def select_values(self, session, statement):
        values, columns = [], []
        for expression, name in statement.items:
            value = self.evaluate(session, expression, statement.line)
            values.append(value)
            columns.append(resultset.value_column(name, value))
        limit = self.row_limit(session, statement.top)
        rows = [tuple(values)] if limit is None or limit > 0 else []
        return [ResultSet(columns, rows),
                Done(count=self.count(session, len(rows)), command=COMMAND_SELECT)]

    def evaluate(self, session, expression, line):
        if expression.kind == "constant":
            return expression.value
        if expression.kind == "column":
            raise fail(207, expression.value, line=line)
        if expression.kind == "variable":
            variables = {
                "@@SPID": session.spid,
                "@@VERSION": catalog.VERSION_TEXT,
                "@@SERVERNAME": self.server_name,
                "@@TRANCOUNT": 0,
                "@@LANGUAGE": session.language,
            }
            if expression.value not in variables:
                raise fail(137, expression.value, line=line)
            return variables[expression.value]
        user = DEFAULT_SCHEMA if self.state.is_role_member("sysadmin", session.login) \
            else session.login
        functions = {
            "DB_NAME": session.database,
            "SUSER_SNAME": session.login,
            "SUSER_NAME": session.login,
            "SYSTEM_USER": session.login,
            "USER_NAME": user,
            "CURRENT_USER": user,
            "SESSION_USER": user,
        }
        if expression.value not in functions:
            raise fail(195, expression.value, "built-in function name", line=line)
        return functions[expression.value]

    # ------------------------------------------------------------ EXEC

    def execute_procedure(self, session, statement):
        line = statement.line
        procedure = procedures.find_procedure(statement.procedure.last)
        if procedure is None:
            raise fail(2812, statement.procedure.written, line=line)
        arguments, errors = procedures.bind_arguments(procedure, statement.arguments, line)
        if errors:
            raise StatementFailed(errors)
        context = procedures.ProcedureContext(self.state, session, line, procedure.name)
        errors = procedure.body(context, **arguments)
        if errors:
            raise StatementFailed(errors)
        self.state.save()
        return [ProcedureDone(return_status=0)]

    # ------------------------------------------------------------ SET

    def set_option(self, session, statement):
        if "NOCOUNT" in statement.options:
            session.nocount = statement.value
        if "ROWCOUNT" in statement.options:
            session.rowcount = max(0, statement.value)
        return [Done()]
