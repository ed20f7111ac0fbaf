"""Reads the tokens of a batch into statements. Like SQL Server, it parses the whole batch
before anything runs: a syntax error anywhere means no statement of the batch is executed."""

from lexer import Kind, tokenize
from statements import (AlterCompatibilityLevel, Argument, AttachDatabase, CreateIndex,
                        ExecuteProcedure, Expression, IndexKey, ObjectName, SelectFromTable,
                        SelectValues, SetOption, UseDatabase)

SWITCH_OPTIONS = frozenset("""
ANSI_DEFAULTS ANSI_NULL_DFLT_OFF ANSI_NULL_DFLT_ON ANSI_NULLS ANSI_PADDING ANSI_WARNINGS
ARITHABORT ARITHIGNORE CONCAT_NULL_YIELDS_NULL CURSOR_CLOSE_ON_COMMIT FMTONLY FORCEPLAN
IMPLICIT_TRANSACTIONS NO_BROWSETABLE NOCOUNT NOEXEC NUMERIC_ROUNDABORT PARSEONLY
QUOTED_IDENTIFIER REMOTE_PROC_TRANSACTIONS SHOWPLAN_ALL SHOWPLAN_TEXT SHOWPLAN_XML XACT_ABORT
""".split())
NUMBER_OPTIONS = frozenset(("TEXTSIZE", "ROWCOUNT", "LOCK_TIMEOUT", "DATEFIRST"))
ISOLATION_LEVELS = (("READ", "UNCOMMITTED"), ("READ", "COMMITTED"), ("REPEATABLE", "READ"),
                    ("SNAPSHOT",), ("SERIALIZABLE",))
FILE_OPTIONS = frozenset(("NAME", "NEWNAME", "FILENAME", "SIZE", "MAXSIZE", "FILEGROWTH"))


class SqlSyntaxError(Exception):
    """The batch does not parse. The engine turns it into the message SQL Server sends."""

    def __init__(self, number, *arguments, line):
        super().__init__(number, *arguments)
        self.number = number
        self.arguments = arguments
        self.line = line


def parse_batch(text):
    """Returns the statements of a batch, or raises LexError or SqlSyntaxError."""
    return Parser(tokenize(text)).batch()


class Parser:
    def __init__(self, tokens):
        self.tokens = tokens
        self.position = 0

    # ------------------------------------------------------------ token helpers

    @property
    def current(self):
        return self.tokens[self.position]

    def peek(self, ahead):
        return self.tokens[min(self.position + ahead, len(self.tokens) - 1)]

    def advance(self):
        token = self.current
        if token.kind is not Kind.END:
            self.position += 1
        return token

    def error(self):
        """The syntax error SQL Server reports at the current token."""
        token = self.current
        if token.kind is Kind.END:
            previous = self.tokens[self.position - 1] if self.position else token
            return SqlSyntaxError(102, previous.shown, line=previous.line)
        if token.is_keyword:
            return SqlSyntaxError(156, token.text, line=token.line)
        return SqlSyntaxError(102, token.shown, line=token.line)

    def accept_word(self, *words):
        if self.current.is_word(*words):
            return self.advance()
        return None

    def expect_word(self, *words):
        token = self.accept_word(*words)
        if token is None:
            raise self.error()
        return token

    def accept_symbol(self, symbol):
        if self.current.is_symbol(symbol):
            return self.advance()
        return None

    def expect_symbol(self, symbol):
        if self.accept_symbol(symbol) is None:
            raise self.error()

    def expect_kind(self, kind):
        if self.current.kind is not kind:
            raise self.error()
        return self.advance()

    def identifier(self):
        """One name part: a word that is not reserved, or a quoted name."""
        token = self.current
        if token.kind is Kind.QUOTED_NAME or (token.kind is Kind.WORD and not token.is_keyword):
            return self.advance().value
        raise self.error()

    def object_name(self):
        parts = [self.identifier()]
        while self.accept_symbol("."):
            if self.current.is_symbol("."):
                parts.append("")
            else:
                parts.append(self.identifier())
            if len(parts) > 4:
                raise self.error()
        return ObjectName(tuple(parts))

    def list_of(self, item):
        items = [item()]
        while self.accept_symbol(","):
            items.append(item())
        return items

    # ------------------------------------------------------------ batch

    def batch(self):
        statements = []
        while self.current.kind is not Kind.END:
            statements.append(self.statement(first=not statements))
            while self.accept_symbol(";"):
                pass
        return statements

    def statement(self, first):
        token = self.current
        if token.is_word("USE"):
            return self.use()
        if token.is_word("CREATE"):
            return self.create()
        if token.is_word("ALTER"):
            return self.alter()
        if token.is_word("EXEC", "EXECUTE"):
            self.advance()
            return self.execute(token.line)
        if token.is_word("SELECT"):
            return self.select()
        if token.is_word("SET"):
            return self.set_option()
        # A batch may begin with a procedure call without EXEC.
        if first and (token.kind is Kind.QUOTED_NAME or
                      (token.kind is Kind.WORD and not token.is_keyword)):
            return self.execute(token.line)
        raise self.error()

    # ------------------------------------------------------------ USE

    def use(self):
        line = self.advance().line
        return UseDatabase(self.identifier(), line)

    # ------------------------------------------------------------ CREATE

    def create(self):
        line = self.advance().line
        if self.accept_word("DATABASE"):
            return self.attach_database(line)
        self.accept_word("NONCLUSTERED")
        self.expect_word("INDEX")
        return self.create_index(line)

    def attach_database(self, line):
        name = self.identifier()
        data_files, log_files = [], []
        if self.accept_word("ON"):
            self.accept_word("PRIMARY")
            data_files = self.list_of(self.file_spec)
        if self.accept_word("LOG"):
            self.expect_word("ON")
            log_files = self.list_of(self.file_spec)
        self.expect_word("FOR")
        self.expect_word("ATTACH")
        if not data_files:
            raise self.error()
        return AttachDatabase(name, tuple(data_files), tuple(log_files), line)

    def file_spec(self):
        """( NAME = x, FILENAME = 'path', ... ): returns the path."""
        self.expect_symbol("(")
        file_name = None
        for option in self.list_of(self.file_option):
            if option[0] == "FILENAME":
                file_name = option[1]
        self.expect_symbol(")")
        if file_name is None:
            raise self.error()
        return file_name

    def file_option(self):
        keyword = self.current
        if not keyword.is_word(*FILE_OPTIONS):
            raise self.error()
        self.advance()
        self.expect_symbol("=")
        if keyword.is_word("FILENAME"):
            return "FILENAME", self.expect_kind(Kind.STRING).value
        value = self.current
        if value.kind is Kind.NUMBER:
            self.advance()
            self.accept_word("KB", "MB", "GB", "TB")
        elif value.kind in (Kind.QUOTED_NAME, Kind.STRING) or \
                (value.kind is Kind.WORD and not value.is_keyword):
            self.advance()
        else:
            raise self.error()
        return keyword.text.upper(), value.value

    def create_index(self, line):
        name = self.identifier()
        self.expect_word("ON")
        table = self.object_name()
        self.expect_symbol("(")
        keys = self.list_of(self.index_key)
        self.expect_symbol(")")
        filegroup = "PRIMARY"
        if self.accept_word("ON"):
            if self.current.is_word("PRIMARY"):
                filegroup = self.advance().text
            else:
                filegroup = self.identifier()
        return CreateIndex(name, table, tuple(keys), filegroup, line)

    def index_key(self):
        column = self.identifier()
        direction = self.accept_word("ASC", "DESC")
        return IndexKey(column, direction is not None and direction.is_word("DESC"))

    # ------------------------------------------------------------ ALTER DATABASE

    def alter(self):
        line = self.advance().line
        self.expect_word("DATABASE")
        database = self.identifier()
        self.expect_word("SET")
        self.expect_word("COMPATIBILITY_LEVEL")
        self.expect_symbol("=")
        level = self.expect_kind(Kind.NUMBER).value
        return AlterCompatibilityLevel(database, level, line)

    # ------------------------------------------------------------ EXEC

    def execute(self, line):
        procedure = self.object_name()
        arguments = []
        if self.starts_argument():
            arguments = self.list_of(self.argument)
        return ExecuteProcedure(procedure, tuple(arguments), line)

    def starts_argument(self):
        token = self.current
        return (token.kind in (Kind.STRING, Kind.NUMBER, Kind.VARIABLE, Kind.QUOTED_NAME) or
                token.is_symbol("-") or token.is_word("NULL") or
                (token.kind is Kind.WORD and not token.is_keyword))

    def argument(self):
        name = None
        if self.current.kind is Kind.VARIABLE and self.peek(1).is_symbol("="):
            name = self.advance().text
            self.advance()
        return Argument(name, self.argument_value())

    def argument_value(self):
        token = self.current
        if token.is_word("NULL"):
            self.advance()
            return None
        if token.is_symbol("-"):
            self.advance()
            return -self.expect_kind(Kind.NUMBER).value
        if token.kind in (Kind.STRING, Kind.NUMBER, Kind.QUOTED_NAME):
            return self.advance().value
        if token.kind is Kind.WORD and not token.is_keyword:
            # An unquoted word passed to a procedure is a character string.
            return self.advance().text
        raise self.error()

    # ------------------------------------------------------------ SELECT

    def select(self):
        line = self.advance().line
        top = self.top()
        if self.accept_symbol("*"):
            columns = ("*",)
            self.expect_word("FROM")
            return SelectFromTable(top, columns, self.object_name(), line)
        items = self.list_of(self.select_item)
        if self.current.is_word("FROM"):
            if any(expression.kind != "column" for expression, _ in items):
                raise self.error()
            self.advance()
            columns = tuple(expression.value for expression, _ in items)
            return SelectFromTable(top, columns, self.object_name(), line)
        return SelectValues(top, tuple(items), line)

    def top(self):
        if not self.accept_word("TOP"):
            return None
        if self.accept_symbol("("):
            count = self.expect_kind(Kind.NUMBER).value
            self.expect_symbol(")")
        else:
            count = self.expect_kind(Kind.NUMBER).value
        if not isinstance(count, int):
            raise self.error()
        return count

    def select_item(self):
        if self.current.kind in (Kind.WORD, Kind.QUOTED_NAME) and self.peek(1).is_symbol("=") \
                and not self.current.is_keyword:
            alias = self.advance().value
            self.advance()
            return self.expression(), alias
        expression = self.expression()
        alias = ""
        if self.accept_word("AS"):
            alias = self.alias()
        elif self.current.kind in (Kind.QUOTED_NAME, Kind.STRING) or \
                (self.current.kind is Kind.WORD and not self.current.is_keyword):
            alias = self.alias()
        elif expression.kind == "column":
            alias = expression.value
        return expression, alias

    def alias(self):
        if self.current.kind is Kind.STRING:
            return self.advance().value
        return self.identifier()

    def expression(self):
        token = self.current
        if token.kind in (Kind.NUMBER, Kind.STRING):
            return Expression("constant", self.advance().value)
        if token.is_symbol("-") and self.peek(1).kind is Kind.NUMBER:
            self.advance()
            return Expression("constant", -self.advance().value)
        if token.is_word("NULL"):
            self.advance()
            return Expression("constant", None)
        if token.kind is Kind.VARIABLE and token.text.startswith("@@"):
            return Expression("variable", self.advance().text.upper())
        if token.is_word("SYSTEM_USER", "SESSION_USER", "CURRENT_USER"):
            return Expression("function", self.advance().text.upper())
        if token.kind is Kind.WORD and not token.is_keyword and self.peek(1).is_symbol("("):
            name = self.advance().text.upper()
            self.advance()
            self.expect_symbol(")")
            return Expression("function", name)
        if token.kind in (Kind.WORD, Kind.QUOTED_NAME):
            return Expression("column", self.identifier())
        raise self.error()

    # ------------------------------------------------------------ SET

    def set_option(self):
        line = self.advance().line
        option = self.current
        if option.is_word("TRANSACTION"):
            self.advance()
            self.expect_word("ISOLATION")
            self.expect_word("LEVEL")
            return SetOption(("TRANSACTION ISOLATION LEVEL",), self.isolation_level(), line)
        if option.is_word(*NUMBER_OPTIONS):
            self.advance()
            negative = self.accept_symbol("-") is not None
            value = self.expect_kind(Kind.NUMBER).value
            return SetOption((option.text.upper(),), -value if negative else value, line)
        names = self.list_of(self.switch_option)
        switch = self.expect_word("ON", "OFF")
        return SetOption(tuple(names), switch.is_word("ON"), line)

    def switch_option(self):
        token = self.current
        if token.is_word(*SWITCH_OPTIONS):
            return self.advance().text.upper()
        if token.kind is Kind.WORD and not token.is_keyword:
            raise SqlSyntaxError(195, token.text, "SET option", line=token.line)
        raise self.error()

    def isolation_level(self):
        for words in ISOLATION_LEVELS:
            if all(self.peek(i).is_word(word) for i, word in enumerate(words)):
                for _ in words:
                    self.advance()
                return " ".join(words)
        raise self.error()
