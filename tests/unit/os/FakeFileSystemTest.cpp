#include "os/fake/FakeApi.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using os::fake::FakeApi;

constexpr os::Dword kErrorPathNotFound = 3;
constexpr os::Dword kErrorSharingViolation = 32;
constexpr os::Dword kFileAttributeArchive = 0x20;

struct AttributesCase {
    const char* name;
    const char* path;
    os::Dword attributes;
    os::Dword lastError;
};

class FileAttributesTest : public testing::TestWithParam<AttributesCase> {};

TEST_P(FileAttributesTest, AnswersLikeWindows) {
    const AttributesCase& c = GetParam();
    FakeApi fake;
    fake.AddFile("C:\\Kolvera\\Data\\kolvera_data.mdf");
    fake.AddFolder("C:\\Locked");
    fake.DenyPath("C:\\Locked");
    EXPECT_EQ(fake.GetFileAttributesA(c.path), c.attributes);
    EXPECT_EQ(fake.GetLastError(), c.lastError);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileAttributesTest,
    testing::Values(AttributesCase{"Folder", "C:\\Kolvera\\Data", os::kFileAttributeDirectory, 0},
                    AttributesCase{"FileInAnyCase", "c:\\KOLVERA\\data\\Kolvera_Data.MDF",
                                   kFileAttributeArchive, 0},
                    AttributesCase{"DriveRoot", "C:\\", os::kFileAttributeDirectory, 0},
                    AttributesCase{"MissingInExistingFolder", "C:\\Kolvera\\Nothing",
                                   os::kInvalidFileAttributes, os::kErrorFileNotFound},
                    AttributesCase{"MissingFolderOnTheWay", "C:\\Nothing\\Data",
                                   os::kInvalidFileAttributes, kErrorPathNotFound},
                    AttributesCase{"Denied", "C:\\Locked", os::kInvalidFileAttributes,
                                   os::kErrorAccessDenied}),
    [](const testing::TestParamInfo<AttributesCase>& info) { return info.param.name; });

struct CreateDirectoryCase {
    const char* name;
    const char* path;
    os::Bool result;
    os::Dword lastError;
};

class CreateDirectoryTest : public testing::TestWithParam<CreateDirectoryCase> {};

TEST_P(CreateDirectoryTest, CreatesOneLevelOnly) {
    const CreateDirectoryCase& c = GetParam();
    FakeApi fake;
    fake.AddFolder("C:\\Kolvera");
    fake.AddFile("C:\\Sql2016");
    EXPECT_EQ(fake.CreateDirectoryA(c.path), c.result);
    EXPECT_EQ(fake.GetLastError(), c.lastError);
    EXPECT_EQ(fake.IsFolder(c.path), c.result == 1 || std::string(c.path) == "C:\\Kolvera");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CreateDirectoryTest,
    testing::Values(CreateDirectoryCase{"UnderExistingFolder", "C:\\Kolvera\\Data", 1, 0},
                    CreateDirectoryCase{"ParentMissing", "C:\\Sql\\Cache", 0, kErrorPathNotFound},
                    CreateDirectoryCase{"DriveMissing", "D:\\Sql2016", 0, kErrorPathNotFound},
                    CreateDirectoryCase{"FolderExists", "C:\\Kolvera", 0, os::kErrorAlreadyExists},
                    CreateDirectoryCase{"FileStandsInTheWay", "C:\\Sql2016", 0,
                                        os::kErrorAlreadyExists}),
    [](const testing::TestParamInfo<CreateDirectoryCase>& info) { return info.param.name; });

class FileWritingTest : public testing::Test {
protected:
    FileWritingTest() { fake_.AddFolder("C:\\Sql2016"); }

    os::Handle WriteAll(const char* path, const std::string& content) {
        const os::Handle file = fake_.CreateFileForWriteA(path);
        os::Dword written = 0;
        EXPECT_EQ(
            fake_.WriteFile(file, content.data(), static_cast<os::Dword>(content.size()), &written),
            1);
        EXPECT_EQ(written, content.size());
        return file;
    }

    FakeApi fake_;
};

TEST_F(FileWritingTest, AFileOpenForWritingCanBeNeitherMovedNorDeleted) {
    fake_.AddFile("C:\\Sql2016\\dotnetfx35.exe", "old");
    const os::Handle file = WriteAll("C:\\Sql2016\\dotnetfx35.exe.part", "new body");
    EXPECT_EQ(fake_.OpenHandles(), 1);
    EXPECT_EQ(
        fake_.MoveFileReplaceA("C:\\Sql2016\\dotnetfx35.exe.part", "C:\\Sql2016\\dotnetfx35.exe"),
        0);
    EXPECT_EQ(fake_.GetLastError(), kErrorSharingViolation);
    EXPECT_EQ(fake_.DeleteFileA("C:\\Sql2016\\dotnetfx35.exe.part"), 0);

    EXPECT_EQ(fake_.CloseHandle(file), 1);
    EXPECT_EQ(fake_.OpenHandles(), 0);
    EXPECT_EQ(
        fake_.MoveFileReplaceA("C:\\Sql2016\\dotnetfx35.exe.part", "C:\\Sql2016\\dotnetfx35.exe"),
        1);
    EXPECT_EQ(fake_.FileContent("C:\\Sql2016\\dotnetfx35.exe"), "new body");
    EXPECT_EQ(fake_.Files(), std::vector<std::string>{"C:\\Sql2016\\dotnetfx35.exe"});
}

TEST_F(FileWritingTest, CreateNeedsTheFolderAndTruncates) {
    EXPECT_EQ(fake_.CreateFileForWriteA("C:\\Missing\\a.part"), 0u);
    EXPECT_EQ(fake_.GetLastError(), kErrorPathNotFound);
    fake_.CloseHandle(WriteAll("C:\\Sql2016\\a.part", "first"));
    fake_.CloseHandle(fake_.CreateFileForWriteA("C:\\Sql2016\\a.part"));
    EXPECT_EQ(fake_.FileContent("C:\\Sql2016\\a.part"), "");
}

TEST_F(FileWritingTest, AWritePastTheLimitFailsAndWritesNothing) {
    fake_.FailWriteAfter(5);
    const os::Handle file = WriteAll("C:\\Sql2016\\a.part", "1234");
    os::Dword written = 7;
    EXPECT_EQ(fake_.WriteFile(file, "56", 2, &written), 0);
    EXPECT_EQ(written, 0u);
    EXPECT_NE(fake_.GetLastError(), 0u);
    EXPECT_EQ(fake_.FileContent("C:\\Sql2016\\a.part"), "1234");
    fake_.CloseHandle(file);
}

TEST_F(FileWritingTest, JournalNamesFileHandlesAndSizes) {
    fake_.CloseHandle(WriteAll("C:\\Sql2016\\a.part", std::string(65536, 'x')));
    fake_.DeleteFileA("C:\\Sql2016\\a.part");
    EXPECT_EQ(fake_.Calls(), (std::vector<std::string>{
                                 "CreateFileForWriteA(\"C:\\Sql2016\\a.part\") -> file#1",
                                 "WriteFile(file#1, 65536) -> 1",
                                 "CloseHandle(file#1) -> 1",
                                 "DeleteFileA(\"C:\\Sql2016\\a.part\") -> 1",
                             }));
}

} // namespace
