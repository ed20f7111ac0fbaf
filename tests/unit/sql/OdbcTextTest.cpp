#include "sql/Odbc.h"

#include <gtest/gtest.h>

namespace {

struct StripCase {
    const char* name;
    const char* driverMessage;
    const char* shown;
};

void PrintTo(const StripCase& c, std::ostream* out) {
    *out << c.name;
}

class StripComponentNamesTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripComponentNamesTest, LeavesTheMessageItself) {
    EXPECT_EQ(sql::StripComponentNames(GetParam().driverMessage), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, StripComponentNamesTest,
    ::testing::Values(
        StripCase{"FreeTds", "[FreeTDS][SQL Server]Login failed for user 'sa'.",
                  "Login failed for user 'sa'."},
        StripCase{"NativeClient",
                  "[Microsoft][SQL Server Native Client 11.0][SQL Server]Login failed for user "
                  "'sa'.",
                  "Login failed for user 'sa'."},
        StripCase{"DriverManager",
                  "[unixODBC][FreeTDS][SQL Server]Unable to connect to data source",
                  "Unable to connect to data source"},
        StripCase{"NoNames", "No component names", "No component names"},
        StripCase{"BracketsInsideTheText", "Invalid object name '[dbo].[x]'.",
                  "Invalid object name '[dbo].[x]'."},
        StripCase{"OnlyANameLeft", "[FreeTDS]", ""},
        StripCase{"UnclosedName", "[unclosed name", "[unclosed name"}, StripCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OdbcTextTest, TurkishTextCrossesTheBoundaryBothWays) {
    const std::string utf8 = "Bağlanıldı. Çıkış İŞĞÜÖ";
    const std::u16string utf16 = u"Bağlanıldı. Çıkış İŞĞÜÖ";
    EXPECT_EQ(sql::Widen(utf8), utf16);
    EXPECT_EQ(sql::Narrow(utf16), utf8);
}

TEST(OdbcTextTest, CharactersBeyondTheBasicPlaneUseSurrogatePairs) {
    EXPECT_EQ(sql::Widen("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(sql::Narrow(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(OdbcTextTest, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(sql::Widen("a\xFF"
                         "b"),
              u"a\uFFFDb");
    EXPECT_EQ(sql::Widen("a\xC4"), u"a\uFFFD");       // cut short
    EXPECT_EQ(sql::Widen("\xC0\xAF"), u"\uFFFD");     // overlong "/"
    EXPECT_EQ(sql::Widen("\xED\xA0\x80"), u"\uFFFD"); // an encoded surrogate
    EXPECT_EQ(sql::Narrow(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

} // namespace
