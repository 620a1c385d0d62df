#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <csignal>

#include <filesystem>
#include <fstream>

#include "native/cfb/atomic_file_write.h"
#include "support/temp_folder.h"
#include "support/unprivileged_user.h"

namespace xls::cfb {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

fs::path u8path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// Paths as the UTF-8 text the writer takes, on every system.
std::string utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(WriteFileAtomically, CreatesAndReplacesUnderJapaneseNames) {
    fake::TempFolder temp;
    const fs::path folder = temp.path() / u8path("保存先フォルダ");
    fs::create_directory(folder);
    const std::string target = utf8(folder / u8path("売上集計.xls"));

    writeFileAtomically(target, bytesOf("first version"));
    EXPECT_EQ(contents(u8path(target)), "first version");
    writeFileAtomically(target, bytesOf("second"));
    EXPECT_EQ(contents(u8path(target)), "second");
    writeFileAtomically(target, {});
    EXPECT_EQ(contents(u8path(target)), "");
    EXPECT_EQ(entriesIn(folder), 1u) << "no temporary file is left behind";
}

// Windows keeps no permission bits, only a read-only mark (tested below).
#ifndef _WIN32
TEST(WriteFileAtomically, ReplacedFileKeepsItsPermissions) {
    fake::TempFolder temp;
    const std::string target = temp.write("book.xls", "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeFileAtomically(target, bytesOf("new"));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif

TEST(WriteFileAtomically, TargetThatIsAFolderIsRefused) {
    fake::TempFolder temp;
    const fs::path folder = temp.path() / "book.xls";
    fs::create_directory(folder);
    std::ofstream(folder / "inside") << "kept";
    EXPECT_THAT([&] { writeFileAtomically(utf8(folder), bytesOf("x")); },
                ::testing::ThrowsMessage<FileWriteError>(HasSubstr("it is a folder")));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(contents(folder / "inside"), "kept");
    EXPECT_EQ(entriesIn(temp.path()), 1u);
}

TEST(WriteFileAtomically, MissingFolderGivesTheSystemsReason) {
    fake::TempFolder temp;
    const std::string target = utf8(temp.path() / "no such folder" / "book.xls");
    EXPECT_THAT([&] { writeFileAtomically(target, bytesOf("x")); },
                ::testing::ThrowsMessage<FileWriteError>(HasSubstr("No such file or directory")));
    EXPECT_FALSE(fs::exists(temp.path() / "no such folder"));
}

// A read-only mark on a Windows folder does not stop new files in it.
#ifndef _WIN32
TEST(WriteFileAtomically, ReadOnlyFolderLeavesTargetUntouched) {
    fake::TempFolder temp;
    const fs::path folder = temp.path() / "locked";
    fs::create_directory(folder);
    const fs::path target = folder / "book.xls";
    std::ofstream(target) << "original";
    fake::ActingUnprivileged user(temp.path());
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THAT([&] { writeFileAtomically(utf8(target), bytesOf("new")); },
                ::testing::ThrowsMessage<FileWriteError>(HasSubstr("Permission denied")));
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(contents(target), "original");
    EXPECT_EQ(entriesIn(folder), 1u);
}
#endif

// The folder would allow replacing it by rename; the file's own permission
// says no.
TEST(WriteFileAtomically, ReadOnlyTargetIsRefusedAndKept) {
    fake::TempFolder temp;
    const std::string target = temp.write("book.xls", "original");
    fake::ActingUnprivileged user(temp.path());
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_THAT([&] { writeFileAtomically(target, bytesOf("new")); },
                ::testing::ThrowsMessage<FileWriteError>(
                    HasSubstr("the file cannot be written: Permission denied")));
    EXPECT_EQ(contents(target), "original");
    EXPECT_EQ(entriesIn(temp.path()), 1u);
}

#ifdef _WIN32
// A list file open in a spreadsheet program is locked against writing; the
// save must say so and leave both it and the folder as they were.
TEST(WriteFileAtomically, TargetLockedByAnotherProgramIsRefusedAndKept) {
    fake::TempFolder temp;
    const std::string target = temp.write("目次.xls", "original");
    HANDLE other = CreateFileW(u8path(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    std::string message;
    try {
        writeFileAtomically(target, bytesOf("new"));
    } catch (const FileWriteError& e) {
        message = e.what();
    }
    CloseHandle(other);
    EXPECT_THAT(message, HasSubstr("the file cannot be written"));
    EXPECT_EQ(contents(u8path(target)), "original");
    EXPECT_EQ(entriesIn(temp.path()), 1u);
}
#else
TEST(WriteFileAtomically, FailedWriteRemovesTheTemporaryFile) {
    // A file size limit makes the write fail after the temporary file was
    // created, which no permission trick does when the tests run as root.
    fake::TempFolder temp;
    const std::string target = temp.write("book.xls", "original");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        writeFileAtomically(target, Bytes(5000, 0x41));
    } catch (const FileWriteError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_THAT(message, HasSubstr("writing the temporary file: File too large"));
    EXPECT_EQ(contents(target), "original");
    EXPECT_EQ(entriesIn(temp.path()), 1u);
}
#endif

}  // namespace
}  // namespace xls::cfb
