"""The server's messages: number, severity, state and text, as SQL Server 2016 sends them."""

import catalog
from replies import Message

# number: (severity, state, text with {} for its arguments)
TEMPLATES = {
    102: (15, 1, "Incorrect syntax near '{}'."),
    105: (15, 1, "Unclosed quotation mark after the character string '{}'."),
    113: (15, 1, "Missing end comment mark '*/'."),
    119: (15, 1, "Must pass parameter number {} and subsequent parameters as '@name = value'. "
                 "After the form '@name = value' has been used, all subsequent parameters must "
                 "be passed in the form '@name = value'."),
    137: (15, 2, "Must declare the scalar variable \"{}\"."),
    156: (15, 1, "Incorrect syntax near the keyword '{}'."),
    195: (15, 10, "'{}' is not a recognized {}."),
    201: (16, 4, "Procedure or function '{}' expects parameter '{}', which was not supplied."),
    207: (16, 1, "Invalid column name '{}'."),
    208: (16, 1, "Invalid object name '{}'."),
    245: (16, 1, "Conversion failed when converting the {} value '{}' to data type {}."),
    911: (16, 1, "Database '{}' does not exist. Make sure that the name is entered correctly."),
    1088: (16, 12,
           "Cannot find the object \"{}\" because it does not exist or you do not have "
           "permissions."),
    1801: (16, 3, "Database '{}' already exists. Choose a different database name."),
    1802: (16, 7, "CREATE DATABASE failed. Some file names listed could not be created. "
                  "Check related errors."),
    1909: (16, 1, "Cannot use duplicate column names in index. Column name '{}' listed more "
                  "than once."),
    1911: (16, 1, "Column name '{}' does not exist in the target table or view."),
    1913: (16, 1, "The operation failed because an index or statistics with name '{}' already "
                  "exists on table '{}'."),
    1921: (16, 1, "Invalid filegroup '{}' specified."),
    2812: (16, 62, "Could not find stored procedure '{}'."),
    4060: (11, 1, "Cannot open database \"{}\" requested by the login. The login failed."),
    4064: (11, 1, "Cannot open user default database. Login failed."),
    5011: (14, 5, "User does not have permission to alter database '{}', the database does not "
                  "exist, or the database is not in a state that allows access checks."),
    5069: (16, 1, "ALTER DATABASE statement failed."),
    5120: (16, 101, "Unable to open the physical file \"{}\". Operating system error {}: "
                    "\"{}({})\"."),
    5172: (16, 15, "The header for file '{}' is not a valid database file header. The FILE SIZE "
                   "property is incorrect."),
    5701: (0, 1, "Changed database context to '{}'."),
    5703: (0, 1, "Changed language setting to {}."),
    8144: (16, 2, "Procedure or function {} has too many arguments specified."),
    8145: (16, 1, "{} is not a parameter for procedure {}."),
    15004: (16, 1, "Name cannot be NULL."),
    15007: (16, 1, "'{}' is not a valid login or you do not have permission."),
    15010: (16, 1, "The database '{}' does not exist. Supply a valid database name. To see "
                   "available databases, use sys.databases."),
    15023: (16, 1, "User, group, or role '{}' already exists in the current database."),
    15025: (16, 1, "The server principal '{}' already exists."),
    15033: (16, 1, "'{}' is not a valid official language name."),
    15048: (16, 1, "Valid values of the database compatibility level are {}."),
    15063: (16, 1, "The login already has an account under a different user name."),
    15151: (16, 1, "Cannot {} the {} '{}', because it does not exist or you do not have "
                   "permission."),
    15402: (11, 1, "'{}' is not a fixed server role."),
    18456: (14, 1, "Login failed for user '{}'."),
}

# Windows error codes a file can fail to open with, and their system texts.
OS_FILE_NOT_FOUND = 2
OS_PATH_NOT_FOUND = 3
OS_ACCESS_DENIED = 5
OS_SHARING_VIOLATION = 32
OS_ERROR_TEXTS = {
    OS_FILE_NOT_FOUND: "The system cannot find the file specified.",
    OS_PATH_NOT_FOUND: "The system cannot find the path specified.",
    OS_ACCESS_DENIED: "Access is denied.",
    OS_SHARING_VIOLATION: "The process cannot access the file because it is being used by "
                          "another process.",
}


def message(number, *arguments, line=1, procedure="", state=None):
    severity, default_state, template = TEMPLATES[number]
    return Message(number=number, state=default_state if state is None else state,
                   severity=severity, text=template.format(*arguments), procedure=procedure,
                   line=line)


def physical_file_error(path, os_error, line=1):
    return message(5120, path, os_error, os_error, OS_ERROR_TEXTS[os_error], line=line)


def compatibility_levels_text():
    levels = [str(level) for level in catalog.COMPATIBILITY_LEVELS]
    return ", ".join(levels[:-1]) + ", or " + levels[-1]
