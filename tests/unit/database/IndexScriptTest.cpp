#include "database/IndexScript.h"

#include "tests/unit/database/KolveraIndexes.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

namespace {

TEST(IndexScriptTest, HoldsTheIndexTableLineByLine) {
    const std::vector<std::string> script = IndexScript();
    const std::vector<std::string> expected = ExpectedScript();
    ASSERT_EQ(script.size(), expected.size());
    for (std::size_t i = 0; i < script.size(); ++i) {
        EXPECT_EQ(script[i], expected[i]) << "line " << i + 1;
    }
}

TEST(IndexScriptTest, Has193LinesOf29GoAnd13Empty) {
    const std::vector<std::string> script = IndexScript();
    const auto go = std::ranges::count(script, std::string("GO"));
    const auto empty = std::ranges::count(script, std::string());
    EXPECT_EQ(script.size(), 193u);
    EXPECT_EQ(go, 29);
    EXPECT_EQ(empty, 13);
    EXPECT_EQ(script.back(), "GO");
}

TEST(IndexScriptTest, UsesOnlyTheCharactersOfPlainIdentifiers) {
    for (const std::string& line : IndexScript()) {
        for (char c : line) {
            const bool allowed = std::isalnum(static_cast<unsigned char>(c)) ||
                                 std::string_view(" _,()[].\t").find(c) != std::string_view::npos;
            EXPECT_TRUE(allowed) << "'" << c << "' in " << line;
        }
    }
}

// The recete pair differs where every other pair mirrors: its twin ends with another column.
TEST(IndexScriptTest, TheReceteTwinEndsWithIlaciAlanKisi) {
    const std::vector<std::string> script = IndexScript();
    const auto twin =
        std::ranges::find(script, "CREATE NONCLUSTERED INDEX IX_recete_1 ON dbo.recete");
    ASSERT_NE(twin, script.end());
    EXPECT_EQ(*(twin + 7), "\tilaci_alan_kisi DESC");
    EXPECT_EQ(*(twin + 8), "\t) ON [PRIMARY]");
    EXPECT_EQ(*(twin - 3), "\tyakinlik_id");
}

TEST(IndexScriptTest, TheBatchOfIxHastaIsItsLinesWithCrLf) {
    std::vector<std::string> batches(1);
    for (const std::string& line : IndexScript()) {
        if (line == "GO") {
            batches.emplace_back();
        } else {
            batches.back() += line + "\r\n";
        }
    }
    ASSERT_GE(batches.size(), 4u);
    EXPECT_EQ(batches[3],
              "\r\nCREATE NONCLUSTERED INDEX IX_hasta ON dbo.hasta\r\n\t(\r\n\tid\r\n\t) "
              "ON [PRIMARY]\r\n");
    EXPECT_EQ(batches.back(), ""); // nothing after the last GO
}

} // namespace
