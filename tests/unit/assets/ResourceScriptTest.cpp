#include "tests/unit/assets/AssetFiles.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace asset_test {
namespace {

// One "NAME TYPE "file"" statement of the resource script.
struct FileResource {
    std::string name, type, file;
};

// A line's tokens, quoted strings kept whole (quotes included), a // comment dropped.
std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::string token;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted && c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        }
        if (c == '"') {
            quoted = !quoted;
        }
        if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == ',')) {
            if (!token.empty()) {
                tokens.push_back(token);
            }
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) {
        tokens.push_back(token);
    }
    return tokens;
}

class ResourceScript : public ::testing::Test {
protected:
    ResourceScript() : script_(ReadText(KOLVERA_RESOURCE_SCRIPT)) {
        std::istringstream lines(script_);
        for (std::string line; std::getline(lines, line);) {
            const std::vector<std::string> tokens = Tokens(line);
            if (tokens.size() == 3 && tokens[2].size() > 2 && tokens[2].front() == '"') {
                resources_.push_back(
                    {tokens[0], tokens[1], tokens[2].substr(1, tokens[2].size() - 2)});
            }
            if (!tokens.empty()) {
                statements_.push_back(tokens);
            }
        }
    }

    const FileResource* Find(const std::string& name, const std::string& type) const {
        const auto it = std::find_if(resources_.begin(), resources_.end(), [&](const auto& r) {
            return r.name == name && r.type == type;
        });
        return it == resources_.end() ? nullptr : &*it;
    }

    bool HasStatement(const std::vector<std::string>& tokens) const {
        return std::find(statements_.begin(), statements_.end(), tokens) != statements_.end();
    }

    static std::filesystem::path ScriptFolder() {
        return std::filesystem::path(KOLVERA_RESOURCE_SCRIPT).parent_path();
    }

    std::string script_;
    std::vector<FileResource> resources_;
    std::vector<std::vector<std::string>> statements_;
};

TEST_F(ResourceScript, EmbedsEveryAssetUnderItsName) {
    const FileResource expected[] = {
        {"MAINICON", "ICON", "assets/KolveraKurulum.ico"},
        {"WINDOW_PNG", "RCDATA", "assets/window.png"},
        {"SUCCESS_PNG", "RCDATA", "assets/success.png"},
        {"FAILURE_PNG", "RCDATA", "assets/failure.png"},
        {"SPINNER_GIF", "RCDATA", "assets/spinner.gif"},
        {"XPBLUE_BUTTON_PNG", "RCDATA", "assets/button_xpblue.png"},
        {"1", "24", "KolveraKurulum.manifest"},
    };
    for (const FileResource& resource : expected) {
        const FileResource* found = Find(resource.name, resource.type);
        ASSERT_NE(found, nullptr) << resource.name << " " << resource.type;
        EXPECT_EQ(found->file, resource.file) << resource.name;
        EXPECT_TRUE(std::filesystem::is_regular_file(ScriptFolder() / found->file))
            << found->file << " next to the script";
    }
}

TEST_F(ResourceScript, MainIconIsTheFirstIcon) {
    const auto icon = std::find_if(resources_.begin(), resources_.end(),
                                   [](const auto& r) { return r.type == "ICON"; });
    ASSERT_NE(icon, resources_.end());
    EXPECT_EQ(icon->name, "MAINICON");
}

TEST_F(ResourceScript, DescribesTheProgramInTurkishVersionInfo) {
    const std::vector<std::vector<std::string>> expected = {
        {"1", "VERSIONINFO"},
        {"FILEVERSION", "1", "0", "0", "0"},
        {"BLOCK", "\"041F04E6\""},
        {"VALUE", "\"FileDescription\"", "\"Kolvera MsSQL 2008 Kurulum\""},
        {"VALUE", "\"ProductName\"", "\"Kolvera\""},
        {"VALUE", "\"CompanyName\"", "\"Kolvera\""},
        {"VALUE", "\"OriginalFilename\"", "\"KolveraKurulum.exe\""},
        {"VALUE", "\"FileVersion\"", "\"1.0.0.0\""},
        {"VALUE", "\"Translation\"", "0x041F", "1254"},
    };
    for (const auto& statement : expected) {
        EXPECT_TRUE(HasStatement(statement)) << ::testing::PrintToString(statement);
    }
}

// The resource compiler reads the script in its own code page; only ASCII means the same in all.
TEST_F(ResourceScript, IsPlainAscii) {
    const auto wide = std::find_if(script_.begin(), script_.end(),
                                   [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
    EXPECT_EQ(wide, script_.end()) << "non-ASCII byte at offset " << (wide - script_.begin());
}

TEST_F(ResourceScript, ManifestAsksForAdministratorOnce) {
    const FileResource* manifest = Find("1", "24");
    ASSERT_NE(manifest, nullptr);
    const std::string text = ReadText((ScriptFolder() / manifest->file).string());
    EXPECT_NE(
        text.find(R"(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)"),
        std::string::npos);
    EXPECT_NE(text.find(R"(name="Kolvera.KolveraKurulum")"), std::string::npos);
}

} // namespace
} // namespace asset_test
