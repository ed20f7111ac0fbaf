"""The SQL Server column types of a result set, chosen from an SQLite column's declared type
and the values it holds, so that every value reaches the client unchanged."""

from replies import Column, ColumnKind, ResultSet
from tds import NVARCHAR_MAX_CHARS, VARBINARY_MAX_BYTES

INT_RANGE = range(-2 ** 31, 2 ** 31)
BIGINT_RANGE = range(-2 ** 63, 2 ** 63)


def result_set(names, declared_types, rows):
    kinds = [column_kind(declared, [row[i] for row in rows])
             for i, declared in enumerate(declared_types)]
    columns = [Column(name, kind) for name, kind in zip(names, kinds)]
    return ResultSet(columns, [tuple(convert(kind, value) for kind, value in zip(kinds, row))
                               for row in rows])


def column_kind(declared_type, values):
    """SQLite's affinity rules first; when the values do not fit the declared type, the
    values decide."""
    declared = declared_type.upper()
    present = [value for value in values if value is not None]
    if "INT" in declared and all(isinstance(value, int) for value in present):
        return integer_kind(present)
    if any(word in declared for word in ("CHAR", "CLOB", "TEXT")) and \
            all(isinstance(value, str) for value in present):
        return text_kind(present)
    return kind_of_values(present)


def kind_of_values(values):
    if all(isinstance(value, int) for value in values) and values:
        return integer_kind(values)
    if all(isinstance(value, (int, float)) for value in values) and values:
        return ColumnKind.FLOAT
    if all(isinstance(value, bytes) for value in values) and values and \
            max(len(value) for value in values) <= VARBINARY_MAX_BYTES:
        return ColumnKind.VARBINARY
    return text_kind([as_text(value) for value in values])


def integer_kind(values):
    if all(value in INT_RANGE for value in values):
        return ColumnKind.INT
    if all(value in BIGINT_RANGE for value in values):
        return ColumnKind.BIGINT
    return text_kind([str(value) for value in values])


def text_kind(values):
    if any(len(value) > NVARCHAR_MAX_CHARS for value in values):
        return ColumnKind.NVARCHAR_MAX
    return ColumnKind.NVARCHAR


def as_text(value):
    if isinstance(value, bytes):
        return "0x" + value.hex().upper()
    return str(value)


def convert(kind, value):
    if value is None:
        return None
    if kind in (ColumnKind.INT, ColumnKind.BIGINT, ColumnKind.VARBINARY):
        return value
    if kind is ColumnKind.FLOAT:
        return float(value)
    return as_text(value)


def value_column(name, value):
    """The column of a select-list value that no table holds."""
    return Column(name, kind_of_values([] if value is None else [value]))
