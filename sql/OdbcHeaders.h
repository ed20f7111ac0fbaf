#pragma once
// The ODBC declarations: on Windows they need the Windows types declared first.

#if defined(_WIN32)
#include "sql/win32/OdbcHeaders.h"
#else
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#endif

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC calls take UTF-16");
