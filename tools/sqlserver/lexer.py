"""Splits T-SQL batch text into tokens: words, quoted names, strings, numbers, variables
and symbols, with comments and white space dropped."""

import enum
from dataclasses import dataclass

RESERVED_KEYWORDS = frozenset("""
ADD ALL ALTER AND ANY AS ASC AUTHORIZATION BACKUP BEGIN BETWEEN BREAK BROWSE BULK BY CASCADE
CASE CHECK CHECKPOINT CLOSE CLUSTERED COALESCE COLLATE COLUMN COMMIT COMPUTE CONSTRAINT
CONTAINS CONTAINSTABLE CONTINUE CONVERT CREATE CROSS CURRENT CURRENT_DATE CURRENT_TIME
CURRENT_TIMESTAMP CURRENT_USER CURSOR DATABASE DBCC DEALLOCATE DECLARE DEFAULT DELETE DENY DESC
DISK DISTINCT DISTRIBUTED DOUBLE DROP DUMP ELSE END ERRLVL ESCAPE EXCEPT EXEC EXECUTE EXISTS
EXIT EXTERNAL FETCH FILE FILLFACTOR FOR FOREIGN FREETEXT FREETEXTTABLE FROM FULL FUNCTION GOTO
GRANT GROUP HAVING HOLDLOCK IDENTITY IDENTITY_INSERT IDENTITYCOL IF IN INDEX INNER INSERT
INTERSECT INTO IS JOIN KEY KILL LEFT LIKE LINENO LOAD MERGE NATIONAL NOCHECK NONCLUSTERED NOT
NULL NULLIF OF OFF OFFSETS ON OPEN OPENDATASOURCE OPENQUERY OPENROWSET OPENXML OPTION OR ORDER
OUTER OVER PERCENT PIVOT PLAN PRECISION PRIMARY PRINT PROC PROCEDURE PUBLIC RAISERROR READ
READTEXT RECONFIGURE REFERENCES REPLICATION RESTORE RESTRICT RETURN REVERT REVOKE RIGHT ROLLBACK
ROWCOUNT ROWGUIDCOL RULE SAVE SCHEMA SECURITYAUDIT SELECT SEMANTICKEYPHRASETABLE
SEMANTICSIMILARITYDETAILSTABLE SEMANTICSIMILARITYTABLE SESSION_USER SET SETUSER SHUTDOWN SOME
STATISTICS SYSTEM_USER TABLE TABLESAMPLE TEXTSIZE THEN TO TOP TRAN TRANSACTION TRIGGER TRUNCATE
TRY_CONVERT TSEQUAL UNION UNIQUE UNPIVOT UPDATE UPDATETEXT USE USER VALUES VARYING VIEW WAITFOR
WHEN WHERE WHILE WITH WITHIN WRITETEXT
""".split())


class Kind(enum.Enum):
    WORD = "word"
    QUOTED_NAME = "quoted name"
    STRING = "string"
    NUMBER = "number"
    VARIABLE = "variable"
    SYMBOL = "symbol"
    END = "end"


@dataclass(frozen=True)
class Token:
    kind: Kind
    text: str  # as written
    value: object  # a name without its quotes, a string's content, a number's value
    line: int

    def is_word(self, *words):
        return self.kind is Kind.WORD and self.text.upper() in words

    def is_symbol(self, symbol):
        return self.kind is Kind.SYMBOL and self.text == symbol

    @property
    def is_keyword(self):
        return self.kind is Kind.WORD and self.text.upper() in RESERVED_KEYWORDS

    @property
    def shown(self):
        """How an error message quotes this token."""
        return self.value if self.kind in (Kind.STRING, Kind.QUOTED_NAME) else self.text


class LexError(Exception):
    """Text that cannot be split into tokens; number is the server message to send."""

    def __init__(self, number, *arguments, line):
        super().__init__(number, *arguments)
        self.number = number
        self.arguments = arguments
        self.line = line


def tokenize(text):
    """Returns the tokens of a batch, ending with one END token."""
    return Lexer(text).tokens()


class Lexer:
    def __init__(self, text):
        self.text = text
        self.position = 0
        self.line = 1

    def tokens(self):
        tokens = []
        while True:
            self.skip_blanks_and_comments()
            if self.position >= len(self.text):
                tokens.append(Token(Kind.END, "", None, self.line))
                return tokens
            tokens.append(self.next_token())

    def peek(self, ahead=0):
        index = self.position + ahead
        return self.text[index] if index < len(self.text) else ""

    def advance(self, count=1):
        passed = self.text[self.position:self.position + count]
        self.line += passed.count("\n")
        self.position += count
        return passed

    def skip_blanks_and_comments(self):
        while self.position < len(self.text):
            if self.peek().isspace():
                self.advance()
            elif self.peek() == "-" and self.peek(1) == "-":
                while self.position < len(self.text) and self.peek() != "\n":
                    self.advance()
            elif self.peek() == "/" and self.peek(1) == "*":
                self.skip_block_comment()
            else:
                return

    def skip_block_comment(self):
        start_line = self.line
        depth = 0
        while self.position < len(self.text):
            if self.peek() == "/" and self.peek(1) == "*":
                depth += 1
                self.advance(2)
            elif self.peek() == "*" and self.peek(1) == "/":
                depth -= 1
                self.advance(2)
                if depth == 0:
                    return
            else:
                self.advance()
        raise LexError(113, line=start_line)

    def next_token(self):
        line = self.line
        char = self.peek()
        if char == "'":
            return self.quoted(Kind.STRING, "'", "'", line)
        if char in "Nn" and self.peek(1) == "'":
            self.advance()
            token = self.quoted(Kind.STRING, "'", "'", line)
            return Token(Kind.STRING, "N" + token.text, token.value, line)
        if char == "[":
            return self.quoted(Kind.QUOTED_NAME, "[", "]", line)
        if char == '"':
            return self.quoted(Kind.QUOTED_NAME, '"', '"', line)
        if char.isdigit():
            return self.number(line)
        if char == "@":
            return self.word(Kind.VARIABLE, line)
        if is_word_start(char):
            return self.word(Kind.WORD, line)
        return Token(Kind.SYMBOL, self.advance(), None, line)

    def quoted(self, kind, opening, closing, line):
        start = self.position
        self.advance()
        content = []
        while self.position < len(self.text):
            char = self.advance()
            if char == closing:
                if self.peek() != closing:
                    return Token(kind, self.text[start:self.position], "".join(content), line)
                self.advance()
            content.append(char)
        raise LexError(105, "".join(content), line=line)

    def number(self, line):
        start = self.position
        while self.peek().isdigit():
            self.advance()
        if self.peek() == "." and self.peek(1).isdigit():
            self.advance()
            while self.peek().isdigit():
                self.advance()
            text = self.text[start:self.position]
            return Token(Kind.NUMBER, text, float(text), line)
        text = self.text[start:self.position]
        return Token(Kind.NUMBER, text, int(text), line)

    def word(self, kind, line):
        start = self.position
        self.advance()
        while self.peek() == "@" or is_word_part(self.peek()):
            self.advance()
        text = self.text[start:self.position]
        return Token(kind, text, text, line)


def is_word_start(char):
    return char.isalpha() or char in "_#"


def is_word_part(char):
    return char != "" and (char.isalnum() or char in "_#$")
