"""What this server says it is: product, version, collation, languages and the
objects every instance has."""

PRODUCT_NAME = "Microsoft SQL Server"
# SQL Server 2016 RTM: major, minor, build, sub-build.
PRODUCT_VERSION = (13, 0, 1601, 5)
VERSION_TEXT = ("Microsoft SQL Server 2016 (RTM) - 13.0.1601.5 (X64) \n"
                "\tApr 29 2016 23:23:58 \n"
                "\tCopyright (c) Microsoft Corporation\n"
                "\tExpress Edition (64-bit) on Windows 10 Pro 6.3 <X64> (Build 14393: )\n")

# SQL_Latin1_General_CP1_CI_AS: LCID 0x0409, case-insensitive, sort id 52.
COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])

SYSTEM_DATABASES = ("master", "tempdb", "model", "msdb")
SERVER_COMPATIBILITY_LEVEL = 130
COMPATIBILITY_LEVELS = (100, 110, 120, 130)
# The level a database file carries when nothing in it says otherwise: the level of the
# SQL Server 2008 R2 instance the Kolvera databases come from.
DEFAULT_ATTACHED_LEVEL = 100

FIXED_SERVER_ROLES = ("sysadmin", "securityadmin", "serveradmin", "setupadmin",
                      "processadmin", "diskadmin", "dbcreator", "bulkadmin")
ADMINISTRATOR = "sa"

# Languages by their name in sys.syslanguages, with the alias that also names them.
LANGUAGES = {
    "us_english": "English",
    "Deutsch": "German",
    "Français": "French",
    "British": "British English",
    "Türkçe": "Turkish",
}
DEFAULT_LANGUAGE = "us_english"


def language_named(name):
    """The official name of a language given by name or alias, or None."""
    wanted = name.casefold()
    for official, alias in LANGUAGES.items():
        if wanted in (official.casefold(), alias.casefold()):
            return official
    return None
