// The Windows file system as the program sees it, over real temporary
// folders: what Explorer hides stays out, names match ignoring case and come
// back as the folder spells them.

#include "os/win32/win32_file_system.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "os/win32/wide_text.h"
#include "support/temp_folder.h"

namespace mokuji::os {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

class Win32FileSystemTest : public ::testing::Test {
  protected:
    void mark(const std::string& name, DWORD attributes) {
        ASSERT_TRUE(SetFileAttributesW(os::win::Wide(dir.file(name)).c_str(), attributes));
    }

    fake::TempFolder dir;
    os::win::Win32FileSystem fs;
};

TEST_F(Win32FileSystemTest, ListingLeavesOutHiddenAndSystemEntries) {
    dir.write("a.xls", "x");
    dir.write("目次 1.xls", "x");
    dir.write("隠し.xls", "x");
    dir.write("system.xls", "x");
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_directory(fake::utf8Path(dir.file("隠しフォルダ")));
    mark("隠し.xls", FILE_ATTRIBUTE_HIDDEN);
    mark("system.xls", FILE_ATTRIBUTE_SYSTEM);
    mark("隠しフォルダ", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

    const std::string folder = dir.file("");
    EXPECT_THAT(fs.listFolder(folder), UnorderedElementsAre("a.xls", "目次 1.xls", "sub"));
    EXPECT_THAT(fs.listFolder(folder.substr(0, folder.size() - 1)),
                UnorderedElementsAre("a.xls", "目次 1.xls", "sub"));
    EXPECT_TRUE(fs.listFolder(dir.file("sub")).empty());

    const FileAttributes hidden = fs.attributes(dir.file("隠し.xls"));
    EXPECT_TRUE(hidden.exists && hidden.hidden && !hidden.system && !hidden.directory);
    EXPECT_TRUE(fs.attributes(dir.file("system.xls")).system);
    EXPECT_TRUE(fs.attributes(dir.file("sub")).directory);
    EXPECT_FALSE(fs.attributes(dir.file("無い.xls")).exists);
}

TEST_F(Win32FileSystemTest, AFolderThatCannotBeListedIsNamedWithTheReason) {
    try {
        fs.listFolder(dir.file("無いフォルダ"));
        FAIL() << "a missing folder was listed";
    } catch (const FileSystemError& e) {
        EXPECT_THAT(e.what(), HasSubstr("無いフォルダ"));
    }
}

TEST_F(Win32FileSystemTest, LookupIgnoresCaseAndAnswersWithTheNameOnDisk) {
    dir.write("00_目次.XLS", "x");
    std::filesystem::create_directory(fake::utf8Path(dir.file("folder.xls")));
    dir.write("hidden.xls", "x");
    mark("hidden.xls", FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(fs.findOrdinaryFile(dir.file("00_目次.xls")), dir.file("00_目次.XLS"));
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("folder.xls")), "");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("hidden.xls")), "");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("missing.xls")), "");
    // A wildcard would find some other file.
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("00_*.xls")), "");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("00_目次.xl?")), "");
}

TEST_F(Win32FileSystemTest, TheProgramIsNamedFromItsOwnModule) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    const std::filesystem::path module(path);
    EXPECT_EQ(fs.programFolder(), os::win::Utf8(module.parent_path().wstring()));
    EXPECT_EQ(fs.programBaseName(), os::win::Utf8(module.stem().wstring()));
    EXPECT_EQ(fs.currentDirectory(), os::win::Utf8(std::filesystem::current_path().wstring()));
}

}  // namespace
}  // namespace mokuji::os
