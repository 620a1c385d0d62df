// Opening documents and starting programs through the Windows shell, with
// what the platform returns for each outcome.

#include "os/win32/win32_shell.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "os/win32/wide_text.h"
#include "support/temp_folder.h"

namespace mokuji::os {
namespace {

std::string systemProgram(const char* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return os::win::Utf8(std::wstring_view(folder, length)) + "\\" + name;
}

TEST(Win32Shell, StartsProgramsAndNotDocumentsThatLookLikeThem) {
    os::win::Win32Shell shell;
    const std::string program = systemProgram("hostname.exe");
    ASSERT_TRUE(std::filesystem::exists(fake::utf8Path(program))) << program;
    EXPECT_GT(shell.startProgram(program), 0.0);

    // A list file in a folder named like a program: no program starts, and
    // the caller hears so instead of a failure it cannot handle.
    fake::TempFolder dir;
    std::filesystem::create_directory(fake::utf8Path(dir.file("道具.exe")));
    const std::string list = dir.write("道具.exe\\00_目次.xls", "x");
    EXPECT_EQ(shell.startProgram(list), 0.0);
    EXPECT_EQ(shell.startProgram(dir.file("無い.exe")), 0.0);
}

TEST(Win32Shell, ADocumentThatCannotBeOpenedReturnsThePlatformsSmallValue) {
    os::win::Win32Shell shell;
    fake::TempFolder dir;
    EXPECT_LE(shell.openDocument(dir.file("無い.xls"), "C:\\"), 32);
    // A type nothing is registered for is not an error the user sees.
    const std::string odd = dir.write("a.mokuji-unknown-type", "x");
    EXPECT_LE(shell.openDocument(odd, "C:\\"), 32);
}

}  // namespace
}  // namespace mokuji::os
