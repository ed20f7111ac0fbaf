#pragma once

#include <windows.h>

// The ODBC headers use the Windows types, so they come after <windows.h>.
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
