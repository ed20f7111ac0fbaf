// The check stage on the real window, headless, against the fake machine: the whole transcript
// of seam calls, pumps and screens for every SQL Server answer and product outcome, and the road
// of a registry error.

#include "inspection/TRegistry.h"
#include "tests/unit/support/WizardFixture.h"

#include <functional>
#include <string>
#include <tuple>
#include <vector>

using os::fake::FakeApi;
using os::fake::View;

namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

constexpr const char* Checking = "Kontrol Ediliyor...";

void Append(Lines& lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

// The pause after its first pump: 101 times a 15 ms sleep and a pump.
Lines PauseLongTail() {
    Lines lines;
    for (int i = 0; i < 101; ++i) {
        Append(lines, {"Sleep(15)", "ProcessMessages"});
    }
    return lines;
}

// The check panel as DescribeScreen shows it, in creation order: the product row's marks, the
// SQL Server row's marks, both titles, both spinners, both status labels.
struct Panel6View {
    std::string kolveraMark = {};
    std::string sqlMark = {};
    bool sqlSpinning = false;
    bool kolveraSpinning = false;
    std::string sqlText = {};
    std::string kolveraText = {}; // empty: hidden
};

std::string Screen(const Panel6View& view) {
    std::string panel;
    const auto add = [&panel](const std::string& part) {
        if (!part.empty()) {
            panel += (panel.empty() ? "" : " ") + part;
        }
    };
    add(view.kolveraMark);
    add(view.sqlMark);
    add(R"(Label1"Ms SQL Server")");
    add(R"(Label2"Kolvera Dosyaları")");
    add(view.sqlSpinning ? "SqlGif~" : "");
    add(view.kolveraSpinning ? "KolveraGif~" : "");
    add("SqlLB\"" + view.sqlText + "\"");
    add(view.kolveraText.empty() ? "" : "KolveraLb\"" + view.kolveraText + "\"");
    return "screen: Panel6{" + panel + "}";
}

std::string Existence(const char* path, int result) {
    return "RegOpenKeyExA(HKLM, \""s + path + "\", 0, 0x20009) -> " + std::to_string(result);
}

constexpr const char* SqlPlace1Tested = R"(SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLSERVER)";
constexpr const char* SqlPlace1Opened =
    R"(SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLSERVER\setup)";

const Lines NoSqlServerCalls = {
    Existence(SqlPlace1Tested, 2),
    Existence(R"(SOFTWARE\Microsoft\Microsoft SQL Server\MSSQLServer\MSSQLServer)", 2),
    Existence(R"(SOFTWARE\Microsoft\MSSQLServer\MSSQLServer)", 2),
    Existence(R"(SOFTWARE\Microsoft\Microsoft SQL Server\Services)", 2),
};

Lines SqlPlace1Calls(const std::string& dataRoom) {
    return {
        Existence(SqlPlace1Tested, 0),
        "RegCloseKey(hkey#1) -> 0",
        "RegOpenKeyExA(HKLM, \""s + SqlPlace1Opened + "\", 0, 0xF003F) -> 0",
        R"(RegQueryValueExA(hkey#2, "PatchLevel", null) -> 0)",
        R"(RegQueryValueExA(hkey#2, "PatchLevel", )" + dataRoom + ") -> 0",
        "RegCloseKey(hkey#2) -> 0",
    };
}

struct SqlAnswer {
    const char* name;
    std::function<void(FakeApi&)> setup;
    Lines calls;
    const char* mark;
    const char* text;
    bool passes;
};

const SqlAnswer SqlAnswers[] = {
    {"NoSqlServer", [](FakeApi&) {}, NoSqlServerCalls, "SqlYok",
     "Ms SQL Server bilgisayarınıza kurulmaya hazır.", true},
    {"SqlServerInstalled",
     [](FakeApi& f) {
         f.SetString(View::Registry32, SqlPlace1Opened, "PatchLevel", "13.0.1601.5");
     },
     SqlPlace1Calls("12"), "SqlVar",
     "Ms SQL Server bilgisayarınıza kurulu.\r\n Önce Ms Sql Serverı kaldırınız.", false},
};

std::string Attributes(const char* path, const char* attributes) {
    return "GetFileAttributesA(\""s + path + "\") -> " + attributes;
}

constexpr const char* Folder = R"(C:\Kolvera)";
constexpr const char* DataFolder = R"(C:\Kolvera\Data)";
constexpr const char* DataFile = R"(C:\Kolvera\Data\kolvera_data.mdf)";

struct ProductAnswer {
    const char* name;
    std::function<void(FakeApi&)> setup;
    Lines calls;
    const char* mark;
    const char* text;
    bool passes;
};

const ProductAnswer ProductAnswers[] = {
    {"ProductFolderMissing",
     [](FakeApi&) {},
     {Attributes(Folder, "0xFFFFFFFF")},
     "KolveraYok",
     "Kolvera Otomasyon Sistemi bilgisayarınızda bulunamadı.",
     false},
    {"DataFolderMissing",
     [](FakeApi& f) { f.AddFolder(Folder); },
     {Attributes(Folder, "0x10"), Attributes(DataFolder, "0xFFFFFFFF")},
     "KolveraYok",
     "Kolvera Otomasyon Sistemi datası \r\nbilgisayarınızda bulunamadı.",
     false},
    {"DataFileMissing",
     [](FakeApi& f) { f.AddFolder(DataFolder); },
     {Attributes(Folder, "0x10"), Attributes(DataFolder, "0x10"),
      Attributes(DataFile, "0xFFFFFFFF")},
     "KolveraYok",
     "Kolvera Otomasyon Sistemi datası bilgisayarınızda bulunamadı.",
     false},
    {"Ready",
     [](FakeApi& f) { f.AddFile(DataFile); },
     {Attributes(Folder, "0x10"), Attributes(DataFolder, "0x10"), Attributes(DataFile, "0x20")},
     "KolveraVar",
     "Kolvera Otomasyon Sistemi hazır.",
     true},
};

// The stage as the controller starts it: the check panel shown, the main button hidden.
class CheckSystemFixture : public WizardFixture {
protected:
    void ShowCheckPanel() {
        Form().Panel6->Show();
        Form().BtnIleri->Hide();
        ClearJournal();
    }
};

class CheckSystemTest : public CheckSystemFixture,
                        public ::testing::WithParamInterface<std::tuple<SqlAnswer, ProductAnswer>> {
};

TEST_P(CheckSystemTest, ShowsEachRowsOutcomeInTurn) {
    const auto& [sql, product] = GetParam();
    sql.setup(Os());
    product.setup(Os());
    ShowCheckPanel();

    const bool passed = Form().CheckSystem();

    Lines expected = {"ProcessMessages", Screen({.sqlSpinning = true, .sqlText = Checking})};
    Append(expected, PauseLongTail());
    Append(expected, sql.calls);
    Append(expected, {"ProcessMessages", Screen({.sqlMark = sql.mark, .sqlText = sql.text})});
    Append(expected, {"ProcessMessages", Screen({.sqlMark = sql.mark,
                                                 .kolveraSpinning = true,
                                                 .sqlText = sql.text,
                                                 .kolveraText = Checking})});
    Append(expected, PauseLongTail());
    Append(expected, product.calls);
    Append(expected, {"ProcessMessages", Screen({.kolveraMark = product.mark,
                                                 .sqlMark = sql.mark,
                                                 .sqlText = sql.text,
                                                 .kolveraText = product.text})});
    Append(expected, {"Sleep(250)"});
    EXPECT_EQ(Journal(), expected);
    EXPECT_EQ(passed, sql.passes && product.passes);
    EXPECT_FALSE(Form().SqlGif->Animate());
    EXPECT_FALSE(Form().KolveraGif->Animate());
    EXPECT_EQ(Os().OpenKeys(), 0);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, CheckSystemTest,
                         ::testing::Combine(::testing::ValuesIn(SqlAnswers),
                                            ::testing::ValuesIn(ProductAnswers)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// A value of the wrong type ends the stage where it was read: the SQL Server row keeps its
// checking text without a mark or spinner, and the product row never starts.
TEST_F(CheckSystemFixture, RegistryErrorEscapesAndLeavesTheSqlRowChecking) {
    Os().SetValue(View::Registry32, SqlPlace1Opened, "PatchLevel", os::kRegDword, "\x0D\0\0\0"s);
    Os().AddFile(DataFile);
    ShowCheckPanel();

    try {
        Form().CheckSystem();
        ADD_FAILURE() << "no error escaped";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'PatchLevel'");
    }

    Lines expected = {"ProcessMessages", Screen({.sqlSpinning = true, .sqlText = Checking})};
    Append(expected, PauseLongTail());
    Append(expected, SqlPlace1Calls("4"));
    EXPECT_EQ(Journal(), expected);
    EXPECT_EQ("screen: " + DescribeScreen(Form()), Screen({.sqlText = Checking}));
    EXPECT_FALSE(Form().SqlGif->Animate());
    EXPECT_EQ(Os().OpenKeys(), 0);
}

} // namespace
