#pragma once
// The MSSQLSERVER service of the stand-in SQL Server: the setup stand-in installs its own program
// as the service's sqlservr.exe, started by the service manager with ServiceArgument. While the
// service runs, the flag file ServiceFlagFile exists; the SQL Server stand-in on the host accepts
// connections only then.

#include <windows.h>

namespace standins {

inline constexpr const wchar_t* ServiceName = L"MSSQLSERVER";
inline constexpr const wchar_t* ServiceArgument = L"-sMSSQLSERVER";
inline constexpr const wchar_t* ServiceFlagFile = L"C:\\standins\\mssqlserver.running";

// Hands the process to the service manager; returns when the service has stopped.
DWORD RunSqlServerService();

} // namespace standins
