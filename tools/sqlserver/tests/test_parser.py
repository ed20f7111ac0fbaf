"""How batch text becomes statements, and the syntax errors SQL Server gives instead."""

import unittest

from lexer import LexError
from parser import SqlSyntaxError, parse_batch
from statements import (AlterCompatibilityLevel, Argument, AttachDatabase, CreateIndex,
                        ExecuteProcedure, IndexKey, ObjectName, SelectFromTable, SetOption,
                        UseDatabase)
from tests import kolvera_batches as kolvera


class StatementTest(unittest.TestCase):
    def test_the_stage_statements(self):
        cases = [
            (kolvera.ATTACH, AttachDatabase("kolvera", (r"c:\kolvera\data\kolvera_data.mdf",),
                                            (r"c:\kolvera\data\kolvera_log.ldf",), 1)),
            (kolvera.ADD_LOGIN, ExecuteProcedure(
                ObjectName(("sp_addlogin",)),
                (Argument(None, "kolvera"), Argument(None, kolvera.LOGIN_PASSWORD),
                 Argument(None, "kolvera"), Argument(None, "turkish")), 1)),
            (kolvera.CHECK_QUERY,
             SelectFromTable(1, ("*",), ObjectName(("kolvera", "dbo", "alis")), 1)),
            (kolvera.COMPATIBILITY, AlterCompatibilityLevel("kolvera", 130, 1)),
            (kolvera.INDEX_SCRIPT[0], UseDatabase("KOLVERA", 1)),
            (kolvera.INDEX_SCRIPT[2], CreateIndex(
                "IX_doktor_1", ObjectName(("dbo", "doktor")), (IndexKey("id", True),),
                "PRIMARY", 1)),
            # The batch of IX_hasta begins with an empty line.
            (kolvera.INDEX_SCRIPT[3], CreateIndex(
                "IX_hasta", ObjectName(("dbo", "hasta")), (IndexKey("id", False),), "PRIMARY",
                2)),
        ]
        for text, statement in cases:
            with self.subTest(text=text):
                self.assertEqual(parse_batch(text), [statement])

    def test_every_index_batch_is_one_create_index(self):
        for text, (name, table, keys, _, _) in zip(kolvera.INDEX_SCRIPT[1:], kolvera.INDEXES):
            with self.subTest(name=name):
                (statement,) = parse_batch(text)
                self.assertEqual((statement.name, statement.table.parts), (name, ("dbo", table)))
                self.assertEqual(tuple((key.column, key.descending) for key in statement.keys),
                                 kolvera.expected_keys(keys))

    def test_keywords_spacing_quoting_and_comments_are_free(self):
        texts = [
            "\r\n\r\nuse kolvera",
            "USE [kolvera];",
            'use "kolvera" -- a comment',
            "/* leading /* nested */ comment */ USE\tkolvera",
        ]
        for text in texts:
            with self.subTest(text=text):
                self.assertEqual([type(s) for s in parse_batch(text)], [UseDatabase])
                self.assertEqual(parse_batch(text)[0].name, "kolvera")

    def test_strings_keep_doubled_quotes_and_unicode(self):
        (statement,) = parse_batch("exec sp_addlogin N'o''brien', 'şifre'")
        self.assertEqual([argument.value for argument in statement.arguments],
                         ["o'brien", "şifre"])

    def test_several_statements_and_options(self):
        statements = parse_batch("SET NOCOUNT ON SET ANSI_NULLS, ANSI_WARNINGS OFF\r\n"
                                 "SET TEXTSIZE 4096; select 1")
        self.assertEqual(statements[:3], [SetOption(("NOCOUNT",), True, 1),
                                          SetOption(("ANSI_NULLS", "ANSI_WARNINGS"), False, 1),
                                          SetOption(("TEXTSIZE",), 4096, 2)])
        self.assertEqual(len(statements), 4)

    def test_empty_batches_hold_no_statement(self):
        for text in ("", "\r\n", " \t\r\n ", "-- only a comment"):
            with self.subTest(text=text):
                self.assertEqual(parse_batch(text), [])


class SyntaxErrorTest(unittest.TestCase):
    def test_errors(self):
        cases = [
            ("select from x", 156, ("from",), 1),
            ("CREATE NONCLUSTERED INDEX IX_a ON dbo.a\r\n\t(\r\n\tid\r\n\t) ON", 102, ("ON",), 4),
            ("USE KOLVERA\r\ngo", 102, ("go",), 2),
            ("create database x ON (FILENAME = 'x.mdf')", 102, (")",), 1),
            ("ALTER DATABASE kolvera SET COMPATIBILITY_LEVEL = x", 102, ("x",), 1),
            ("select 1 1", 102, ("1",), 1),
            ("SET FOO ON", 195, ("FOO", "SET option"), 1),
        ]
        for text, number, arguments, line in cases:
            with self.subTest(text=text):
                with self.assertRaises(SqlSyntaxError) as raised:
                    parse_batch(text)
                self.assertEqual((raised.exception.number, raised.exception.arguments,
                                  raised.exception.line), (number, arguments, line))

    def test_unclosed_text(self):
        cases = [
            ("select 'abc", 105, ("abc",)),
            ("USE [kolvera", 105, ("kolvera",)),
            ("select 1 /* open", 113, ()),
        ]
        for text, number, arguments in cases:
            with self.subTest(text=text):
                with self.assertRaises(LexError) as raised:
                    parse_batch(text)
                self.assertEqual((raised.exception.number, raised.exception.arguments),
                                 (number, arguments))


if __name__ == "__main__":
    unittest.main()
