#include "sql/TMSConnection.h"

#include "tests/unit/sql/OdbcSetup.h"
#include "tests/unit/sql/StandInServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr const char* Loopback = "127.0.0.1";

// A loopback port bound but never listened on, so a connection to it is refused at once.
class ClosedPort {
public:
    ClosedPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~ClosedPort() { ::close(socket_); }
    int Port() const { return port_; }

private:
    int socket_;
    int port_ = 0;
};

void SetAdministrator(TMSConnection& connection, const std::string& password) {
    connection.Server = Loopback;
    connection.Username = "sa";
    connection.Password = password;
    connection.Database = "master";
}

// The message of the error that connecting raised, or "connected".
std::string ConnectOutcome(TMSConnection& connection) {
    try {
        connection.Connect();
        return "connected";
    } catch (const EMSError& error) {
        return error.what();
    }
}

TEST(TMSConnectionTest, ConnectsAndClosesAgainAndAgain) {
    StandInServer server;
    UseFreeTds(server.Port());
    TMSConnection connection;
    SetAdministrator(connection, "7");
    EXPECT_FALSE(connection.Connected());
    connection.Close(); // not connected: nothing happens

    connection.Connect();
    EXPECT_TRUE(connection.Connected());
    connection.Connect(); // already connected: nothing happens
    connection.Close();
    EXPECT_FALSE(connection.Connected());
    connection.Close();
    connection.Connect();
    EXPECT_TRUE(connection.Connected());
}

TEST(TMSConnectionTest, AWrongPasswordRaisesTheServersMessage) {
    StandInServer server;
    UseFreeTds(server.Port());
    TMSConnection connection;
    SetAdministrator(connection, "8");
    EXPECT_EQ(ConnectOutcome(connection), "Login failed for user 'sa'.");
    EXPECT_FALSE(connection.Connected());
}

TEST(TMSConnectionTest, NoServerListeningRaisesTheClientLayersMessage) {
    const ClosedPort closed;
    UseFreeTds(closed.Port());
    TMSConnection connection;
    SetAdministrator(connection, "7");
    const std::string outcome = ConnectOutcome(connection);
    EXPECT_NE(outcome, "connected");
    EXPECT_FALSE(outcome.empty());
    EXPECT_NE(outcome.front(), '[') << outcome;
    EXPECT_FALSE(connection.Connected());
}

// Braces keep a password whole: its ';' cannot end it and start another attribute. (FreeTDS
// does not read a doubled '}' inside braces, so that character stays out of this test.)
TEST(TMSConnectionTest, APasswordWithConnectionStringSyntaxStaysOnePassword) {
    const std::string password = "x;DATABASE=nope{ ";
    StandInServer server({.saPassword = password});
    UseFreeTds(server.Port());
    TMSConnection connection;
    SetAdministrator(connection, password);
    EXPECT_EQ(ConnectOutcome(connection), "connected");

    TMSConnection truncated;
    SetAdministrator(truncated, "x");
    EXPECT_EQ(ConnectOutcome(truncated), "Login failed for user 'sa'.");
}

// The Native Client is listed here with a library that does not exist: choosing it shows.
TEST(TMSConnectionTest, PrefersTheNativeClientWhenTheDriverListHasIt) {
    StandInServer server;
    UseFreeTds(server.Port(), /*listNativeClient=*/true);
    TMSConnection connection;
    SetAdministrator(connection, "7");
    EXPECT_NE(ConnectOutcome(connection).find("no-such-native-client.so"), std::string::npos);
    EXPECT_FALSE(connection.Connected());

    UseFreeTds(server.Port());
    EXPECT_EQ(ConnectOutcome(connection), "connected");
}

} // namespace
