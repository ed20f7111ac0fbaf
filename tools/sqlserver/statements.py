"""The statements the server understands, as the parser hands them to the engine. Every
statement carries the line of the batch it starts on."""

from dataclasses import dataclass


@dataclass(frozen=True)
class ObjectName:
    """A name of one to four parts; an omitted part is the empty string."""
    parts: tuple

    @property
    def written(self):
        """The name as SQL Server quotes it in messages: parts joined by dots, unbracketed."""
        return ".".join(self.parts)

    @property
    def last(self):
        return self.parts[-1]

    def part(self, from_end):
        """The part from_end places before the last one (1: schema, 2: database), or ""."""
        index = len(self.parts) - 1 - from_end
        return self.parts[index] if index >= 0 else ""


@dataclass(frozen=True)
class UseDatabase:
    name: str
    line: int


@dataclass(frozen=True)
class AttachDatabase:
    name: str
    data_files: tuple
    log_files: tuple
    line: int


@dataclass(frozen=True)
class AlterCompatibilityLevel:
    database: str
    level: int
    line: int


@dataclass(frozen=True)
class IndexKey:
    column: str
    descending: bool


@dataclass(frozen=True)
class CreateIndex:
    name: str
    table: ObjectName
    keys: tuple
    filegroup: str
    line: int


@dataclass(frozen=True)
class Argument:
    """A procedure argument; name is the parameter it is passed to, or None when positional.
    value is a str, an int or None (NULL)."""
    name: str
    value: object


@dataclass(frozen=True)
class ExecuteProcedure:
    procedure: ObjectName
    arguments: tuple
    line: int


@dataclass(frozen=True)
class SelectFromTable:
    top: int
    columns: tuple  # ("*",) or column names
    table: ObjectName
    line: int


@dataclass(frozen=True)
class Expression:
    """One item of a select list."""
    kind: str  # "constant", "variable", "function" or "column"
    value: object  # the constant, or the name of the variable, function or column


@dataclass(frozen=True)
class SelectValues:
    top: int
    items: tuple  # of (Expression, column name)
    line: int


@dataclass(frozen=True)
class SetOption:
    options: tuple  # upper case: ("NOCOUNT",), ("ANSI_NULLS", "QUOTED_IDENTIFIER") ...
    value: object  # True/False for ON/OFF, a number, or the words of an isolation level
    line: int
