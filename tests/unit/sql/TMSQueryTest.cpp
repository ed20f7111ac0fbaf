#include "sql/TMSQuery.h"

#include "tests/unit/sql/OdbcSetup.h"
#include "tests/unit/sql/StandInServer.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* AttachKolvera =
    "create database kolvera ON (FILENAME = 'c:\\kolvera\\data\\kolvera_data.mdf')  LOG ON "
    "(FILENAME = 'c:\\kolvera\\data\\kolvera_log.ldf') FOR ATTACH";
constexpr const char* SelectAlis = "select top 1 * from kolvera.dbo.alis";

class TMSQueryTest : public ::testing::Test {
protected:
    TMSQueryTest() {
        UseFreeTds(server_.Port());
        connection_.Server = "127.0.0.1";
        connection_.Username = "sa";
        connection_.Password = "7";
        connection_.Database = "master";
        connection_.Connect();
    }

    // The error a call raised, or "ok".
    template <typename Call> static std::string Outcome(Call call) {
        try {
            call();
            return "ok";
        } catch (const EMSError& error) {
            return error.what();
        }
    }

    std::string Execute(std::vector<std::string> lines) {
        query_.SQL = std::move(lines);
        return Outcome([&] { query_.Execute(); });
    }

    std::string Open(std::vector<std::string> lines) {
        query_.SQL = std::move(lines);
        return Outcome([&] { query_.Open(); });
    }

    std::vector<std::string> BatchTexts() const {
        std::vector<std::string> texts;
        for (const LoggedBatch& batch : server_.Batches()) {
            texts.push_back(batch.text);
        }
        return texts;
    }

    StandInServer server_;
    TMSConnection connection_;
    TMSQuery query_{connection_};
};

TEST_F(TMSQueryTest, SendsItsLinesAsOneBatchWithCrLfAfterEach) {
    EXPECT_EQ(Execute({"", "select top 1 * from", "\tno_such_table"}),
              "Invalid object name 'no_such_table'.");
    EXPECT_EQ(BatchTexts(),
              std::vector<std::string>{"\r\nselect top 1 * from\r\n\tno_such_table\r\n"});
}

TEST_F(TMSQueryTest, RaisesTheFirstErrorOfTheBatchAndLeavesTheConnectionFree) {
    EXPECT_EQ(Execute({"select * from first_missing", "select * from second_missing"}),
              "Invalid object name 'first_missing'.");
    EXPECT_EQ(Execute({AttachKolvera}), "ok");
    EXPECT_EQ(Execute({AttachKolvera}),
              "Database 'kolvera' already exists. Choose a different database name.");
    EXPECT_EQ(Execute({"USE KOLVERA"}), "ok");
    EXPECT_EQ(server_.Batches().back().database, "master");
    EXPECT_EQ(Execute({"USE master"}), "ok");
    EXPECT_EQ(server_.Batches().back().database, "kolvera");
}

// An error after a statement that gives no result set still reaches the caller.
TEST_F(TMSQueryTest, RaisesAnErrorThatFollowsAStatementWithoutResults) {
    EXPECT_EQ(Execute({"USE master", "select * from missing_after_use"}),
              "Invalid object name 'missing_after_use'.");
    EXPECT_EQ(Execute({"exec sp_defaultdb 'sa','master'", "select * from missing_after_exec"}),
              "Invalid object name 'missing_after_exec'.");
}

TEST_F(TMSQueryTest, ExecuteReadsPastEveryResultSet) {
    ASSERT_EQ(Execute({AttachKolvera}), "ok");
    EXPECT_EQ(Execute({SelectAlis, SelectAlis, "select * from kolvera.dbo.missing"}),
              "Invalid object name 'kolvera.dbo.missing'.");
    EXPECT_EQ(Execute({SelectAlis}), "ok");
    EXPECT_EQ(Execute({"USE KOLVERA"}), "ok");
    EXPECT_FALSE(query_.Active());
}

TEST_F(TMSQueryTest, OpenKeepsItsResultSetUntilClose) {
    ASSERT_EQ(Execute({AttachKolvera}), "ok");
    EXPECT_EQ(Open({SelectAlis}), "ok");
    EXPECT_TRUE(query_.Active());
    query_.Close();
    EXPECT_FALSE(query_.Active());
    query_.Close();

    EXPECT_EQ(Open({SelectAlis}), "ok");
    // Executing ends the open result set first, so the connection can take the batch.
    EXPECT_EQ(Execute({"USE KOLVERA"}), "ok");
    EXPECT_FALSE(query_.Active());
}

TEST_F(TMSQueryTest, OpenRaisesTheServersErrorAndHoldsNothing) {
    EXPECT_EQ(Open({SelectAlis}), "Invalid object name 'kolvera.dbo.alis'.");
    EXPECT_FALSE(query_.Active());
    EXPECT_EQ(Execute({"USE master"}), "ok");
}

TEST_F(TMSQueryTest, AnEmptyBatchFailsWithoutReachingTheServer) {
    EXPECT_NE(Execute({}), "ok");
    EXPECT_TRUE(BatchTexts().empty());
    EXPECT_EQ(Execute({"USE master"}), "ok");
}

TEST_F(TMSQueryTest, TurkishTextReachesTheServerAndComesBack) {
    EXPECT_EQ(Execute({"select * from çizelge_ığüşöç"}), "Invalid object name 'çizelge_ığüşöç'.");
    EXPECT_EQ(BatchTexts(), std::vector<std::string>{"select * from çizelge_ığüşöç\r\n"});
}

TEST_F(TMSQueryTest, ARunWithoutAConnectionRaises) {
    connection_.Close();
    EXPECT_EQ(Execute({"USE master"}), "Not connected");
    EXPECT_EQ(Open({"USE master"}), "Not connected");
}

// Disconnecting frees the statements with the connection; the query must not free its again.
TEST_F(TMSQueryTest, AResultSetOutlivedByItsConnectionClosesQuietly) {
    ASSERT_EQ(Execute({AttachKolvera}), "ok");
    ASSERT_EQ(Open({SelectAlis}), "ok");
    connection_.Close();
    connection_.Connect();
    query_.Close();
    EXPECT_FALSE(query_.Active());
    EXPECT_EQ(Open({SelectAlis}), "ok");
}

} // namespace
