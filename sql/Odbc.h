#pragma once
// What the connection and the query share: owned ODBC handles, UTF-8 <-> UTF-16 at the ODBC
// boundary, and turning a failed call into EMSError.

#include "sql/OdbcHeaders.h"
#include "sql/TMSConnection.h"

#include <string>
#include <string_view>

namespace sql {

// One ODBC handle, freed with its owner.
class OdbcHandle {
public:
    OdbcHandle() = default;
    // Allocates a handle of `type` under `parent`; throws EMSError.
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle();
    OdbcHandle(OdbcHandle&& other) noexcept;
    OdbcHandle& operator=(OdbcHandle&& other) noexcept;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE Get() const { return handle_; }
    SQLSMALLINT Type() const { return type_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Lets go of a handle that the driver has already freed.
    void Forget() { handle_ = nullptr; }
    void Reset();

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = nullptr;
};

std::u16string Widen(std::string_view utf8);
std::string Narrow(std::u16string_view utf16);

inline SQLWCHAR* OdbcText(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

bool Succeeded(SQLRETURN rc);

// The driver's message without its leading "[vendor][component]" names.
std::string StripComponentNames(std::string_view message);

// The error of the handle's first diagnostic record.
EMSError ErrorOf(SQLSMALLINT type, SQLHANDLE handle);
EMSError ErrorOf(const OdbcHandle& handle);

// Throws the handle's error unless the call succeeded.
void Check(SQLRETURN rc, const OdbcHandle& handle);

} // namespace sql

// The open connection's handles. `Connects` counts connections made, so a statement can tell
// that the connection it was made on has been closed (which freed the statement with it).
struct TMSConnection::Session {
    sql::OdbcHandle environment;
    sql::OdbcHandle connection;
    unsigned Connects = 0;
    bool Connected = false;
};
