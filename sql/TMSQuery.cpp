#include "sql/TMSQuery.h"

#include "sql/Odbc.h"

#include <optional>

namespace {

constexpr const char* NotConnectedMessage = "Not connected";
constexpr std::string_view LineEnd = "\r\n";

std::string BatchText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += LineEnd;
    }
    return text;
}

// The call left nothing to read on the statement: going on would only repeat the error.
bool NothingMoreToRead(SQLRETURN rc, const sql::OdbcHandle& statement) {
    if (rc == SQL_INVALID_HANDLE) {
        return true;
    }
    if (rc != SQL_ERROR) {
        return false;
    }
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!sql::Succeeded(SQLGetDiagRecW(SQL_HANDLE_STMT, statement.Get(), 1, state, &native, nullptr,
                                       0, &length))) {
        return true;
    }
    const std::u16string_view code(reinterpret_cast<const char16_t*>(state));
    // HY010: no statement is executing; 08...: the connection is gone.
    return code == u"HY010" || code.starts_with(u"08");
}

// A new statement on the open connection, with no command time-out.
sql::OdbcHandle NewStatement(TMSConnection& connection) {
    if (!connection.Connected()) {
        throw EMSError(NotConnectedMessage);
    }
    sql::OdbcHandle statement(SQL_HANDLE_STMT, connection.Native().connection.Get());
    sql::Check(SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
                               reinterpret_cast<SQLPOINTER>(SQLULEN{0}), 0),
               statement);
    return statement;
}

// Sent as text without parameters: the driver turns prepared statements into procedure calls.
SQLRETURN SendBatch(const sql::OdbcHandle& statement, const std::vector<std::string>& lines) {
    std::u16string text = sql::Widen(BatchText(lines));
    return SQLExecDirectW(statement.Get(), sql::OdbcText(text),
                          static_cast<SQLINTEGER>(text.size()));
}

} // namespace

struct TMSQuery::Statement {
    sql::OdbcHandle handle;
    unsigned connects = 0; // the connection it was made on
};

TMSQuery::TMSQuery(TMSConnection& connection) : connection_(connection) {}

TMSQuery::~TMSQuery() {
    Close();
}

void TMSQuery::Execute() {
    Close();
    const sql::OdbcHandle statement = NewStatement(connection_);
    std::optional<EMSError> firstError;
    // SQL_NO_DATA from the send only says its first statement touched no rows: later ones of
    // the batch may still have results and errors to read.
    SQLRETURN rc = SendBatch(statement, SQL);
    for (;;) {
        if (rc == SQL_ERROR && !firstError) {
            firstError = sql::ErrorOf(statement);
        }
        if (NothingMoreToRead(rc, statement)) {
            break;
        }
        rc = SQLMoreResults(statement.Get());
        if (rc == SQL_NO_DATA) {
            break;
        }
    }
    if (firstError) {
        throw *firstError;
    }
}

void TMSQuery::Open() {
    Close();
    sql::OdbcHandle statement = NewStatement(connection_);
    const SQLRETURN rc = SendBatch(statement, SQL);
    if (rc != SQL_NO_DATA) {
        sql::Check(rc, statement);
    }
    statement_ =
        std::make_unique<Statement>(Statement{std::move(statement), connection_.Native().Connects});
}

void TMSQuery::Close() {
    if (!statement_) {
        return;
    }
    const TMSConnection::Session& session = connection_.Native();
    if (!session.Connected || session.Connects != statement_->connects) {
        // Disconnecting freed the statement along with the connection.
        statement_->handle.Forget();
    }
    statement_.reset();
}

bool TMSQuery::Active() const {
    return statement_ != nullptr;
}
