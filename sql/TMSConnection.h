#pragma once
// SQL Server connection over ODBC's wide-character API: SQL Server authentication, a 15-second
// login time-out, never prompting, auto-commit.

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

// An error of the server or the client layer; the message is the first diagnostic's text
// without the driver's leading bracketed component names.
class EMSError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TMSConnection {
public:
    static constexpr std::chrono::seconds ConnectionTimeout{15};

    TMSConnection();
    ~TMSConnection();
    TMSConnection(const TMSConnection&) = delete;
    TMSConnection& operator=(const TMSConnection&) = delete;

    std::string Server;
    std::string Username;
    std::string Password;
    std::string Database;

    bool Connected() const;
    // Connects with the properties above; throws EMSError.
    void Connect();
    // Disconnects; nothing happens when not connected.
    void Close();

    struct Session; // the ODBC handles, for TMSQuery
    Session& Native();

private:
    std::unique_ptr<Session> session_;
};
