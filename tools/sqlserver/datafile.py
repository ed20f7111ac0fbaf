"""A database's data file: an SQLite file standing in for the .mdf. Its tables are the
database's tables in schema dbo; its indexes are the database's indexes; its user_version
holds the compatibility level the database had when it was last attached."""

import sqlite3
from dataclasses import dataclass
from urllib.request import pathname2url

SQLITE_HEADER = b"SQLite format 3\x00"


class NotADataFile(Exception):
    """The file is not a database file."""


@dataclass(frozen=True)
class TableColumn:
    name: str
    declared_type: str


@dataclass(frozen=True)
class IndexInfo:
    table: str
    name: str
    keys: tuple  # of (column, descending)


def is_data_file(path):
    with open(path, "rb") as file:
        return file.read(len(SQLITE_HEADER)) == SQLITE_HEADER


def sqlite_index_name(table, index):
    # SQL Server scopes an index name to its table, SQLite to the file: qualify it.
    return f"{table}.{index}"


def quote(name):
    return '"' + name.replace('"', '""') + '"'


class DataFile:
    """An open data file; use it as a context manager so the file is closed on every path."""

    def __init__(self, path):
        if not is_data_file(path):
            raise NotADataFile(path)
        self.connection = sqlite3.connect(f"file:{pathname2url(path)}?mode=rw", uri=True,
                                          isolation_level=None)
        # A test machine's stand-in: the operating system's buffers are durable enough,
        # and waiting for the disk at every statement would make each take tens of ms.
        self.connection.execute("PRAGMA synchronous = OFF")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.connection.close()

    # ------------------------------------------------------------ compatibility level

    @property
    def compatibility_level(self):
        return self.connection.execute("PRAGMA user_version").fetchone()[0]

    @compatibility_level.setter
    def compatibility_level(self, level):
        self.connection.execute(f"PRAGMA user_version = {int(level)}")

    # ------------------------------------------------------------ tables

    def table_named(self, name):
        """The table's name as stored, matched without regard to case, or None."""
        found = self.connection.execute(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'", (name,)).fetchone()
        return found[0] if found else None

    def columns(self, table):
        rows = self.connection.execute(f"PRAGMA table_info({quote(table)})").fetchall()
        return [TableColumn(name=row[1], declared_type=row[2] or "") for row in rows]

    def rows(self, table, columns, limit):
        """The values of the named columns, at most limit rows (None: all), in rowid order."""
        column_list = ", ".join(quote(column) for column in columns)
        sql = f"SELECT {column_list} FROM {quote(table)}"
        if limit is not None:
            sql += f" LIMIT {int(limit)}"
        return self.connection.execute(sql).fetchall()

    # ------------------------------------------------------------ indexes

    def indexes(self, table=None):
        tables = [table] if table else [row[0] for row in self.connection.execute(
            "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")]
        found = []
        for table_name in tables:
            prefix = sqlite_index_name(table_name, "")
            for row in self.connection.execute(f"PRAGMA index_list({quote(table_name)})"):
                name, origin = row[1], row[3]
                if origin == "c" and name.startswith(prefix):
                    found.append(IndexInfo(table=table_name, name=name[len(prefix):],
                                           keys=self.index_keys(name)))
        return found

    def index_keys(self, sqlite_name):
        rows = self.connection.execute(f"PRAGMA index_xinfo({quote(sqlite_name)})").fetchall()
        # Columns: seqno, cid, name, desc, coll, key; only key columns, in key order.
        return tuple((row[2], bool(row[3])) for row in sorted(rows) if row[5])

    def has_index(self, table, index):
        return any(info.name.casefold() == index.casefold() for info in self.indexes(table))

    def create_index(self, table, index, keys):
        key_list = ", ".join(f"{quote(column)} {'DESC' if descending else 'ASC'}"
                             for column, descending in keys)
        self.connection.execute(
            f"CREATE INDEX {quote(sqlite_index_name(table, index))} ON {quote(table)} "
            f"({key_list})")
