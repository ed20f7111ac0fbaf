#include "sql/TMSConnection.h"

#include "sql/Odbc.h"

#include <array>
#include <string_view>

namespace {

// The newer client when the machine has it, otherwise the one every Windows ships with.
constexpr std::u16string_view NativeClientDriver = u"SQL Server Native Client 11.0";
constexpr std::u16string_view DefaultDriver = u"SQL Server";

template <typename Value> SQLPOINTER AttributeValue(Value value) {
    return reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(value));
}

bool DriverListed(const sql::OdbcHandle& environment, std::u16string_view name) {
    std::array<SQLWCHAR, 256> description{};
    std::array<SQLWCHAR, 1024> attributes{};
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT descriptionLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc = SQLDriversW(
            environment.Get(), direction, description.data(),
            static_cast<SQLSMALLINT>(description.size()), &descriptionLength, attributes.data(),
            static_cast<SQLSMALLINT>(attributes.size()), &attributesLength);
        if (!sql::Succeeded(rc)) {
            return false;
        }
        const std::u16string_view listed(reinterpret_cast<const char16_t*>(description.data()));
        if (listed == name) {
            return true;
        }
        direction = SQL_FETCH_NEXT;
    }
}

std::u16string ChooseDriver(const sql::OdbcHandle& environment) {
    return std::u16string(DriverListed(environment, NativeClientDriver) ? NativeClientDriver
                                                                        : DefaultDriver);
}

// KEY=value; a value holding a character that the syntax gives a meaning goes in braces, so a
// password cannot add or change attributes of the connection string.
std::u16string Attribute(std::u16string_view key, std::u16string_view value) {
    constexpr std::u16string_view Special = u";{}=[]()?*!@,";
    const bool plain = value.find_first_of(Special) == std::u16string_view::npos &&
                       !value.starts_with(u' ') && !value.ends_with(u' ');
    std::u16string text(key);
    text += u'=';
    if (plain) {
        text += value;
    } else {
        text += u'{';
        for (char16_t c : value) {
            text += c;
            if (c == u'}') {
                text += u'}';
            }
        }
        text += u'}';
    }
    text += u';';
    return text;
}

} // namespace

TMSConnection::TMSConnection() : session_(std::make_unique<Session>()) {}

TMSConnection::~TMSConnection() {
    Close();
}

bool TMSConnection::Connected() const {
    return session_->Connected;
}

void TMSConnection::Connect() {
    if (Connected()) {
        return;
    }
    sql::OdbcHandle environment(SQL_HANDLE_ENV, nullptr);
    sql::Check(
        SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION, AttributeValue(SQL_OV_ODBC3), 0),
        environment);
    sql::OdbcHandle connection(SQL_HANDLE_DBC, environment.Get());
    sql::Check(SQLSetConnectAttrW(connection.Get(), SQL_ATTR_LOGIN_TIMEOUT,
                                  AttributeValue(ConnectionTimeout.count()), 0),
               connection);
    sql::Check(SQLSetConnectAttrW(connection.Get(), SQL_ATTR_AUTOCOMMIT,
                                  AttributeValue(SQL_AUTOCOMMIT_ON), 0),
               connection);

    std::u16string text = u"DRIVER={" + ChooseDriver(environment) + u"};";
    text += Attribute(u"SERVER", sql::Widen(Server));
    text += Attribute(u"UID", sql::Widen(Username));
    text += Attribute(u"PWD", sql::Widen(Password));
    text += Attribute(u"DATABASE", sql::Widen(Database));
    sql::Check(SQLDriverConnectW(connection.Get(), nullptr, sql::OdbcText(text),
                                 static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT),
               connection);

    session_->environment = std::move(environment);
    session_->connection = std::move(connection);
    session_->Connected = true;
    ++session_->Connects;
}

void TMSConnection::Close() {
    if (!Connected()) {
        return;
    }
    SQLDisconnect(session_->connection.Get());
    session_->connection.Reset();
    session_->environment.Reset();
    session_->Connected = false;
}

TMSConnection::Session& TMSConnection::Native() {
    return *session_;
}
