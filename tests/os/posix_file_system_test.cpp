// The Linux file system as the program sees it, over real temporary folders.

#include "os/posix_file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "native/text/ascii.h"
#include "support/temp_folder.h"

namespace mokuji::os {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

class PosixFileSystemTest : public ::testing::Test {
  protected:
    fake::TempFolder dir;
    PosixFileSystem fs;
};

TEST_F(PosixFileSystemTest, ListingShowsOrdinaryFilesAndFoldersOnly) {
    dir.write("a.xls", "x");
    dir.write(".hidden.xls", "x");
    dir.write("目次 1.xls", "x");
    std::filesystem::create_directory(dir.path() / "sub");
    std::filesystem::create_directory(dir.path() / ".git");
    ASSERT_EQ(::mkfifo(dir.file("pipe.xls").c_str(), 0600), 0);
    std::filesystem::create_symlink("a.xls", dir.path() / "link.xls");
    std::filesystem::create_symlink("missing.xls", dir.path() / "broken.xls");
    EXPECT_THAT(fs.listFolder(dir.file("")),
                UnorderedElementsAre("a.xls", "目次 1.xls", "sub", "link.xls"));
    std::string noSeparator = dir.file("");
    noSeparator.pop_back();
    EXPECT_THAT(fs.listFolder(noSeparator),
                UnorderedElementsAre("a.xls", "目次 1.xls", "sub", "link.xls"));
}

TEST_F(PosixFileSystemTest, FolderThatCannotBeListedNamesItself) {
    try {
        fs.listFolder(dir.file("無い"));
        FAIL() << "listed a folder that does not exist";
    } catch (const FileSystemError& e) {
        EXPECT_THAT(e.what(), HasSubstr("無い"));
    }
    dir.write("file.xls", "x");
    EXPECT_THROW(fs.listFolder(dir.file("file.xls")), FileSystemError);
}

TEST_F(PosixFileSystemTest, AttributesTellWhatAnEntryIs) {
    dir.write("a.xls", "x");
    dir.write(".x.xls", "x");
    std::filesystem::create_directory(dir.path() / "old.xls");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);

    FileAttributes file = fs.attributes(dir.file("a.xls"));
    EXPECT_TRUE(file.exists);
    EXPECT_FALSE(file.directory || file.hidden || file.system);
    FileAttributes folder = fs.attributes(dir.file("old.xls"));
    EXPECT_TRUE(folder.exists && folder.directory);
    EXPECT_TRUE(fs.attributes(dir.file("old.xls") + "/").directory);
    EXPECT_TRUE(fs.attributes(dir.file(".x.xls")).hidden);
    EXPECT_TRUE(fs.attributes(dir.file("pipe")).system);
    // The folder itself, named through "." or "..", is not hidden.
    EXPECT_FALSE(fs.attributes(dir.file("old.xls") + "/.").hidden);
    EXPECT_FALSE(fs.attributes(dir.file("old.xls") + "/..").hidden);

    EXPECT_FALSE(fs.attributes(dir.file("vanished.xls")).exists);
    EXPECT_FALSE(fs.attributes("").exists);
    EXPECT_FALSE(fs.attributes(dir.file(std::string(300, 'a') + ".xls")).exists);
}

TEST_F(PosixFileSystemTest, OrdinaryFileIsFoundIgnoringCaseOfItsName) {
    dir.write("00_目次.XLS", "x");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("00_目次.XLS")), dir.file("00_目次.XLS"));
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("00_目次.xls")), dir.file("00_目次.XLS"));
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("00_目次.xlsx")), "");
    // The folder part is not looked up ignoring case.
    const std::string upperFolder = xls::text::upperAscii(dir.file(""));
    ASSERT_NE(upperFolder, dir.file(""));
    EXPECT_EQ(fs.findOrdinaryFile(upperFolder + "00_目次.xls"), "");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("gone/00_目次.xls")), "");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("")), "");
}

TEST_F(PosixFileSystemTest, OnlyOrdinaryVisibleFilesAreFoundAndTheLeastSpellingWins) {
    std::filesystem::create_directory(dir.path() / "00_目次.xls");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("00_目次.xls")), "");
    dir.write(".list.xls", "x");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file(".list.xls")), "");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file(".LIST.xls")), "");

    dir.write("b.xls", "x");
    dir.write("B.XLS", "x");
    dir.write("b.Xls", "x");
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("b.XlS")), dir.file("B.XLS"));
    // An exact match wins over the others.
    EXPECT_EQ(fs.findOrdinaryFile(dir.file("b.Xls")), dir.file("b.Xls"));
}

TEST_F(PosixFileSystemTest, ProgramIsTheRunningExecutable) {
    EXPECT_EQ(fs.programBaseName(), "test_os");
    const std::string folder = fs.programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(folder) / "test_os"));
}

}  // namespace
}  // namespace mokuji::os
