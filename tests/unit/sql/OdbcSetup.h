#pragma once

// Points unixODBC at a private driver list registering FreeTDS as "SQL Server" (and, when
// asked, a "SQL Server Native Client 11.0" whose library does not exist), and sets the TDS
// version and port FreeTDS uses for a bare server name.
void UseFreeTds(int port, bool listNativeClient = false);
