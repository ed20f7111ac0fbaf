// CheckProductInstallation against the fake drive: each test stops at the first missing path,
// a folder is only a folder and a file only a file, and later paths are never looked at.

#include "inspection/Probes.h"
#include "os/fake/FakeApi.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using os::fake::FakeApi;

namespace {

constexpr const char* Folder = R"(C:\Kolvera)";
constexpr const char* DataFolder = R"(C:\Kolvera\Data)";
constexpr const char* DataFile = R"(C:\Kolvera\Data\kolvera_data.mdf)";

std::string Looked(const char* path, const char* attributes) {
    return std::string("GetFileAttributesA(\"") + path + "\") -> " + attributes;
}

struct ProductCase {
    const char* name;
    std::function<void(FakeApi&)> setup;
    TProductCheckResult result;
    std::vector<std::string> calls;
};

const ProductCase ProductCases[] = {
    {"NothingInstalled", [](FakeApi&) {}, pcProductFolderMissing, {Looked(Folder, "0xFFFFFFFF")}},
    {"ProductFolderIsAFile",
     [](FakeApi& f) { f.AddFile(Folder); },
     pcProductFolderMissing,
     {Looked(Folder, "0x20")}},
    {"ProductFolderUnreadable",
     [](FakeApi& f) {
         f.AddFile(DataFile);
         f.DenyPath(Folder);
     },
     pcProductFolderMissing,
     {Looked(Folder, "0xFFFFFFFF")}},
    {"DataFolderMissing",
     [](FakeApi& f) { f.AddFolder(Folder); },
     pcDataFolderMissing,
     {Looked(Folder, "0x10"), Looked(DataFolder, "0xFFFFFFFF")}},
    {"DataFolderIsAFile",
     [](FakeApi& f) { f.AddFile(DataFolder); },
     pcDataFolderMissing,
     {Looked(Folder, "0x10"), Looked(DataFolder, "0x20")}},
    {"DataFileMissing",
     [](FakeApi& f) { f.AddFolder(DataFolder); },
     pcDataFileMissing,
     {Looked(Folder, "0x10"), Looked(DataFolder, "0x10"), Looked(DataFile, "0xFFFFFFFF")}},
    {"DataFileIsAFolder",
     [](FakeApi& f) { f.AddFolder(DataFile); },
     pcDataFileMissing,
     {Looked(Folder, "0x10"), Looked(DataFolder, "0x10"), Looked(DataFile, "0x10")}},
    {"DataFileUnreadable",
     [](FakeApi& f) {
         f.AddFile(DataFile);
         f.DenyPath(DataFile);
     },
     pcDataFileMissing,
     {Looked(Folder, "0x10"), Looked(DataFolder, "0x10"), Looked(DataFile, "0xFFFFFFFF")}},
    {"Ready",
     [](FakeApi& f) { f.AddFile(DataFile); },
     pcReady,
     {Looked(Folder, "0x10"), Looked(DataFolder, "0x10"), Looked(DataFile, "0x20")}},
};

class ProductInstallationTest : public ::testing::TestWithParam<ProductCase> {
protected:
    os::fake::ScopedFakeApi fake_;
};

TEST_P(ProductInstallationTest, StopsAtTheFirstMissingPath) {
    GetParam().setup(*fake_);

    EXPECT_EQ(CheckProductInstallation(), GetParam().result);
    EXPECT_EQ(fake_->Calls(), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(Paths, ProductInstallationTest, ::testing::ValuesIn(ProductCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
