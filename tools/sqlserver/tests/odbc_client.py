"""A minimal ODBC client over unixODBC and FreeTDS's driver, through the wide-character
calls the wizard makes: SQLDriverConnectW, SQLExecDirectW, then every result drained
with SQLMoreResults."""

import ctypes
import ctypes.util
import glob
import os
import tempfile
from dataclasses import dataclass, field

SQL_HANDLE_ENV = 1
SQL_HANDLE_DBC = 2
SQL_HANDLE_STMT = 3
SQL_ATTR_ODBC_VERSION = 200
SQL_OV_ODBC3 = 3
SQL_DRIVER_NOPROMPT = 0
SQL_SUCCESS = 0
SQL_SUCCESS_WITH_INFO = 1
SQL_NO_DATA = 100
SQL_C_WCHAR = -8
SQL_NULL_DATA = -1
SQL_NTS = -3
DRIVER_NAME = "SQL Server"


def freetds_driver():
    """FreeTDS's ODBC driver, where Debian's tdsodbc installs it."""
    found = glob.glob("/usr/lib/*/odbc/libtdsodbc.so")
    if not found:
        raise FileNotFoundError("FreeTDS ODBC driver (package tdsodbc) not installed")
    return found[0]


def odbc_config_folder():
    """A folder with an odbcinst.ini that registers FreeTDS as "SQL Server"; point
    ODBCSYSINI at it before the driver manager loads."""
    folder = tempfile.mkdtemp(prefix="odbcsysini-")
    with open(os.path.join(folder, "odbcinst.ini"), "w", encoding="ascii") as file:
        file.write(f"[{DRIVER_NAME}]\nDriver={freetds_driver()}\n")
    return folder


def wide(text):
    data = text.encode("utf-16-le") + b"\x00\x00"
    return ctypes.create_string_buffer(data, len(data))


def from_wide(buffer, characters):
    return bytes(buffer)[:2 * characters].decode("utf-16-le")


@dataclass
class Diagnostic:
    sqlstate: str
    native: int
    text: str


@dataclass
class Result:
    columns: list = field(default_factory=list)
    rows: list = field(default_factory=list)


@dataclass
class BatchOutcome:
    succeeded: bool  # SQLExecDirectW and every SQLMoreResults returned no error
    results: list  # of Result, one per result set
    diagnostics: list  # of Diagnostic, in the order the driver reported them

    @property
    def error_numbers(self):
        return [diagnostic.native for diagnostic in self.diagnostics
                if not diagnostic.sqlstate.startswith("01")]


class OdbcError(Exception):
    def __init__(self, call, diagnostics):
        super().__init__(f"{call} failed: {diagnostics}")
        self.diagnostics = diagnostics


class Connection:
    def __init__(self, connection_string):
        self.odbc = ctypes.CDLL(ctypes.util.find_library("odbc"))
        self.odbc.SQLAllocHandle.argtypes = [ctypes.c_short, ctypes.c_void_p,
                                             ctypes.POINTER(ctypes.c_void_p)]
        self.odbc.SQLSetEnvAttr.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_void_p,
                                            ctypes.c_int]
        self.odbc.SQLDriverConnectW.argtypes = [ctypes.c_void_p, ctypes.c_void_p,
                                                ctypes.c_char_p, ctypes.c_short,
                                                ctypes.c_char_p, ctypes.c_short,
                                                ctypes.POINTER(ctypes.c_short),
                                                ctypes.c_ushort]
        self.odbc.SQLExecDirectW.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.odbc.SQLNumResultCols.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_short)]
        self.odbc.SQLDescribeColW.argtypes = [ctypes.c_void_p, ctypes.c_ushort,
                                              ctypes.c_char_p, ctypes.c_short,
                                              ctypes.POINTER(ctypes.c_short),
                                              ctypes.POINTER(ctypes.c_short),
                                              ctypes.POINTER(ctypes.c_size_t),
                                              ctypes.POINTER(ctypes.c_short),
                                              ctypes.POINTER(ctypes.c_short)]
        self.odbc.SQLFetch.argtypes = [ctypes.c_void_p]
        self.odbc.SQLGetData.argtypes = [ctypes.c_void_p, ctypes.c_ushort, ctypes.c_short,
                                         ctypes.c_void_p, ctypes.c_ssize_t,
                                         ctypes.POINTER(ctypes.c_ssize_t)]
        self.odbc.SQLMoreResults.argtypes = [ctypes.c_void_p]
        self.odbc.SQLGetDiagRecW.argtypes = [ctypes.c_short, ctypes.c_void_p, ctypes.c_short,
                                             ctypes.c_char_p, ctypes.POINTER(ctypes.c_int),
                                             ctypes.c_char_p, ctypes.c_short,
                                             ctypes.POINTER(ctypes.c_short)]
        self.odbc.SQLFreeHandle.argtypes = [ctypes.c_short, ctypes.c_void_p]
        self.odbc.SQLDisconnect.argtypes = [ctypes.c_void_p]
        self.env = self.allocate(SQL_HANDLE_ENV, None)
        self.odbc.SQLSetEnvAttr(self.env, SQL_ATTR_ODBC_VERSION, SQL_OV_ODBC3, 0)
        self.dbc = self.allocate(SQL_HANDLE_DBC, self.env)
        self.connected = False
        self.connect(connection_string)

    def allocate(self, kind, parent):
        handle = ctypes.c_void_p()
        if self.odbc.SQLAllocHandle(kind, parent, ctypes.byref(handle)) != SQL_SUCCESS:
            raise OdbcError("SQLAllocHandle", [])
        return handle

    def connect(self, connection_string):
        out = ctypes.create_string_buffer(2048)
        out_length = ctypes.c_short()
        rc = self.odbc.SQLDriverConnectW(self.dbc, None, wide(connection_string), SQL_NTS, out,
                                         1024, ctypes.byref(out_length), SQL_DRIVER_NOPROMPT)
        if rc not in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO):
            diagnostics = self.diagnostics(SQL_HANDLE_DBC, self.dbc)
            self.close()
            raise OdbcError("SQLDriverConnectW", diagnostics)
        self.connected = True

    def diagnostics(self, kind, handle):
        found = []
        record = 1
        while True:
            state = ctypes.create_string_buffer(12)
            native = ctypes.c_int()
            text = ctypes.create_string_buffer(4096)
            length = ctypes.c_short()
            rc = self.odbc.SQLGetDiagRecW(kind, handle, record, state, ctypes.byref(native),
                                          text, 2048, ctypes.byref(length))
            if rc not in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO):
                return found
            found.append(Diagnostic(from_wide(state, 5), native.value,
                                    from_wide(text, length.value)))
            record += 1

    def execute(self, batch):
        """Sends one batch and drains every result, as the wizard's statement component
        does."""
        statement = self.allocate(SQL_HANDLE_STMT, self.dbc)
        try:
            results, diagnostics = [], []
            rc = self.odbc.SQLExecDirectW(statement, wide(batch), SQL_NTS)
            succeeded = rc in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO, SQL_NO_DATA)
            while rc != SQL_NO_DATA:
                diagnostics += self.diagnostics(SQL_HANDLE_STMT, statement)
                if rc in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO):
                    self.collect_result(statement, results)
                rc = self.odbc.SQLMoreResults(statement)
                succeeded = succeeded and rc in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO,
                                                 SQL_NO_DATA)
            return BatchOutcome(succeeded, results, diagnostics)
        finally:
            self.odbc.SQLFreeHandle(SQL_HANDLE_STMT, statement)

    def collect_result(self, statement, results):
        count = ctypes.c_short()
        self.odbc.SQLNumResultCols(statement, ctypes.byref(count))
        if count.value == 0:
            return
        result = Result(columns=[self.column_name(statement, i + 1) for i in range(count.value)])
        while self.odbc.SQLFetch(statement) in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO):
            result.rows.append([self.value(statement, i + 1) for i in range(count.value)])
        results.append(result)

    def column_name(self, statement, column):
        name = ctypes.create_string_buffer(512)
        length, kind, digits, nullable = (ctypes.c_short() for _ in range(4))
        size = ctypes.c_size_t()
        self.odbc.SQLDescribeColW(statement, column, name, 256, ctypes.byref(length),
                                  ctypes.byref(kind), ctypes.byref(size), ctypes.byref(digits),
                                  ctypes.byref(nullable))
        return from_wide(name, length.value)

    def value(self, statement, column):
        buffer = ctypes.create_string_buffer(65536)
        indicator = ctypes.c_ssize_t()
        self.odbc.SQLGetData(statement, column, SQL_C_WCHAR, buffer, len(buffer),
                             ctypes.byref(indicator))
        if indicator.value == SQL_NULL_DATA:
            return None
        return from_wide(buffer, indicator.value // 2)

    def close(self):
        if self.connected:
            self.odbc.SQLDisconnect(self.dbc)
            self.connected = False
        if self.dbc:
            self.odbc.SQLFreeHandle(SQL_HANDLE_DBC, self.dbc)
            self.dbc = None
        if self.env:
            self.odbc.SQLFreeHandle(SQL_HANDLE_ENV, self.env)
            self.env = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
