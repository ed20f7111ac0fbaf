"""What the server answers to a request, before it becomes TDS tokens."""

import enum
from dataclasses import dataclass, field

# The highest severity that is still an informational message rather than an error.
MAX_INFO_SEVERITY = 10

# Current-command codes of a DONE token, as SQL Server reports them.
COMMAND_NONE = 0x00
COMMAND_SELECT = 0xC1
COMMAND_EXECUTE = 0xE0


@dataclass(frozen=True)
class Message:
    number: int
    state: int
    severity: int
    text: str
    procedure: str = ""
    line: int = 1

    @property
    def is_error(self):
        return self.severity > MAX_INFO_SEVERITY


@dataclass(frozen=True)
class DatabaseChanged:
    new: str
    old: str


@dataclass(frozen=True)
class LanguageChanged:
    new: str
    old: str


class ColumnKind(enum.Enum):
    INT = "int"
    BIGINT = "bigint"
    FLOAT = "float"
    NVARCHAR = "nvarchar(4000)"
    NVARCHAR_MAX = "nvarchar(max)"
    VARBINARY = "varbinary(8000)"


@dataclass(frozen=True)
class Column:
    name: str
    kind: ColumnKind


@dataclass
class ResultSet:
    columns: list
    rows: list = field(default_factory=list)


@dataclass(frozen=True)
class Done:
    """The end of one statement. count is None when no row count is reported."""
    count: int = None
    error: bool = False
    command: int = COMMAND_NONE
    attention: bool = False


@dataclass(frozen=True)
class ProcedureDone:
    """The end of a stored procedure: its return status, then DONEPROC. A procedure that
    could not be found has no return status (None)."""
    return_status: int
    error: bool = False
    command: int = COMMAND_EXECUTE
