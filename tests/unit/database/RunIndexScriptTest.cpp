// The batch runner on small scripts of its own, against the SQL Server stand-in.

#include "tests/unit/database/Transcript.h"
#include "tests/unit/sql/OdbcSetup.h"
#include "tests/unit/sql/StandInServer.h"
#include "tests/unit/support/WizardFixture.h"

namespace {

struct ScriptCase {
    const char* name;
    std::vector<std::string> script;
    std::vector<std::string> batchesReceived;
    std::vector<std::string> leftInQuery; // the query's SQL text afterwards
};

void PrintTo(const ScriptCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<ScriptCase> ScriptCases = {
    {"OneUseAndGo", {"USE master", "GO"}, {"USE master\r\n"}, {}},
    // The empty batch between the two GO lines fails in the client layer and never arrives.
    {"TwoGoInARow",
     {"USE master", "GO", "GO", "USE master", "GO"},
     {"USE master\r\n", "USE master\r\n"},
     {}},
    {"OnlyAnExactGoSeparates",
     {"USE master", "go", " GO", "GO ", "\tGO", "Go", "GO;", "GO"},
     {"USE master\r\ngo\r\n GO\r\nGO \r\n\tGO\r\nGo\r\nGO;\r\n"},
     {}},
    {"EmptyLinesBelongToTheBatch", {"", "USE master", "", "GO"}, {"\r\nUSE master\r\n\r\n"}, {}},
    {"AFailedBatchDoesNotEndTheRun",
     {"select * from no_such_table", "GO", "USE master", "GO"},
     {"select * from no_such_table\r\n", "USE master\r\n"},
     {}},
    {"LinesAfterTheLastGoAreNeverSent",
     {"USE master", "GO", "USE tempdb", "select 1"},
     {"USE master\r\n"},
     {"USE tempdb", "select 1"}},
    {"AnEmptyScriptSendsNothing", {}, {}, {}},
};

// The window with its connection open on the stand-in, as the database stage leaves it.
class ConnectedWindow : public WizardFixture {
protected:
    ConnectedWindow() {
        UseFreeTds(server_.Port());
        Form().MSConn.Server = "127.0.0.1";
        Form().MSConn.Username = "sa";
        Form().MSConn.Password = "7";
        Form().MSConn.Database = "master";
        Form().MSConn.Connect();
    }

    std::vector<std::string> BatchTexts() const {
        std::vector<std::string> texts;
        for (const LoggedBatch& batch : server_.Batches()) {
            texts.push_back(batch.text);
        }
        return texts;
    }

    StandInServer server_;
};

class RunIndexScriptTest : public ConnectedWindow,
                           public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(RunIndexScriptTest, SendsEachBatchOnceAndPumpsAfterEveryLine) {
    const ScriptCase& c = GetParam();
    Form().Memo1->Lines = c.script;
    ClearJournal();

    Form().RunIndexScript();

    EXPECT_EQ(BatchTexts(), c.batchesReceived);
    EXPECT_EQ(Form().YQuery.SQL, c.leftInQuery);
    std::vector<std::string> pumps;
    if (c.script.size() == 1) {
        pumps = {PumpLine};
    } else if (!c.script.empty()) {
        pumps = {std::string(PumpLine) + " x " + std::to_string(c.script.size())};
    }
    EXPECT_EQ(Compress(Journal()), pumps);
    EXPECT_EQ(Form().Memo1->Lines, c.script);
}

INSTANTIATE_TEST_SUITE_P(Scripts, RunIndexScriptTest, ::testing::ValuesIn(ScriptCases),
                         [](const auto& info) { return std::string(info.param.name); });

using ExecIgnoringErrorsTest = ConnectedWindow;

TEST_F(ExecIgnoringErrorsTest, SwallowsTheErrorAndKeepsTheText) {
    Form().YQuery.SQL = {"select * from no_such_table"};
    Form().ExecIgnoringErrors();
    EXPECT_EQ(Form().YQuery.SQL, std::vector<std::string>{"select * from no_such_table"});
    ASSERT_EQ(server_.Batches().size(), 1u);
    EXPECT_EQ(server_.Batches()[0].error, "Invalid object name 'no_such_table'.");
}

TEST_F(ExecIgnoringErrorsTest, ClosesAnOpenResultSetFirst) {
    Form().YQuery.SQL = {"create database kolvera ON (FILENAME = "
                         "'c:\\kolvera\\data\\kolvera_data.mdf')  LOG ON (FILENAME = "
                         "'c:\\kolvera\\data\\kolvera_log.ldf') FOR ATTACH"};
    Form().ExecIgnoringErrors();
    Form().YQuery.SQL = {"select top 1 * from kolvera.dbo.alis"};
    Form().YQuery.Open();
    Form().YQuery.SQL = {"USE KOLVERA"};
    Form().ExecIgnoringErrors();
    EXPECT_FALSE(Form().YQuery.Active());
    ASSERT_EQ(server_.Batches().size(), 3u);
    EXPECT_EQ(server_.Batches()[2].error, std::nullopt);
    EXPECT_EQ(server_.Batches()[2].text, "USE KOLVERA\r\n");
}

TEST_F(ExecIgnoringErrorsTest, SwallowsTheClientLayersErrorsToo) {
    Form().MSConn.Close();
    Form().YQuery.SQL = {"USE master"};
    Form().ExecIgnoringErrors();
    EXPECT_TRUE(server_.Batches().empty());
}

} // namespace
