#!/usr/bin/python3
"""Writes a Kolvera data file for the SQL Server stand-in: an SQLite file holding the
product's tables with the columns its indexes use, and a few purchases in alis."""

import argparse
import os
import sqlite3
import sys

import catalog

TABLES = {
    "doktor": ("id",),
    "hasta": ("id",),
    "yakinlik": ("id",),
    "hasta_turu": ("id",),
    "cari": ("id",),
    "fatura": ("id",),
    "satis": ("satis_sira", "satis_turu", "pos_id", "hasta_id", "doktor_id", "kurum_id",
              "silindi", "deneme"),
    "satis_detay": ("satis_sira", "urun_id"),
    "recete": ("satis_sira", "hasta_id", "kurum_id", "doktor_id", "hasta_turu_id",
               "yakinlik_id", "ilaci_alan_kisi"),
    "urun_hareket": ("urun_id", "satis_sira", "alis_sira", "takas_sira", "sayim_sira",
                     "tarih"),
    "alis": ("alis_sira", "urun_id"),
    "alis_fatura": ("alis_sira", "kurum_id"),
    "urun": ("id", "tam_no_1"),
    "urun2": ("urun_id", "tam_no_1"),
}
TEXT_COLUMNS = {"tarih": "TEXT", "tam_no_1": "TEXT", "ilaci_alan_kisi": "TEXT"}
ALIS_ROWS = ((1, 1001), (2, 1002), (3, 1001))


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("path", help="the data file to write; replaced if present")
    parser.add_argument("--empty-alis", action="store_true",
                        help="leave the table alis without rows")
    return parser.parse_args(argv)


def column_definition(column):
    return f"{column} {TEXT_COLUMNS.get(column, 'INTEGER')}"


def write_data_file(path, empty_alis=False):
    if os.path.exists(path):
        os.remove(path)
    connection = sqlite3.connect(path)
    try:
        connection.execute("PRAGMA synchronous = OFF")
        with connection:
            for table, columns in TABLES.items():
                definitions = ", ".join(column_definition(column) for column in columns)
                connection.execute(f"CREATE TABLE {table} ({definitions})")
            if not empty_alis:
                connection.executemany("INSERT INTO alis (alis_sira, urun_id) VALUES (?, ?)",
                                       ALIS_ROWS)
        connection.execute(f"PRAGMA user_version = {catalog.DEFAULT_ATTACHED_LEVEL}")
    finally:
        connection.close()


def main(argv):
    arguments = parse_arguments(argv)
    write_data_file(arguments.path, arguments.empty_alis)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
