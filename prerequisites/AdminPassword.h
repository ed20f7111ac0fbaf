#pragma once

// The SQL Server system administrator's password. SQL Server setup is given it and the database
// stage logs in with it, so both read this one definition.
inline constexpr const char* AdminPassword = "7";
