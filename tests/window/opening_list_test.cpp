// Opening the finished list file: which file is looked up, what is handed
// to the shell, and when a path is taken for a program.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "os/shell_open.h"
#include "window/mokuji_open.h"
#include "window/startup_fakes.h"

namespace mokuji::window {
namespace {

using fake::nativePath;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Opened = std::pair<std::string, std::string>;

class OpeningList : public ::testing::Test {
  protected:
    fake::PathFileSystem fs;
    fake::RecordingShell shell;
};

TEST_F(OpeningList, TheDefaultPathLooksUpTheBareNameInTheCurrentFolder) {
    fs.addFile("00_目次.xls");
    sub_mokuji_open("00_目次.xls", "00_目次.xls", fs, shell);
    EXPECT_THAT(fs.lookups, ElementsAre("00_目次.xls"));
    EXPECT_THAT(shell.documents, ElementsAre(Opened("00_目次.xls", nativePath("/"))));
}

TEST_F(OpeningList, AMissingOrHiddenListIsNotOpened) {
    fs.addFile(nativePath("/hidden/00_目次.xls"), true);
    sub_mokuji_open(nativePath("/data/"), "00_目次.xls", fs, shell);
    sub_mokuji_open(nativePath("/hidden/"), "00_目次.xls", fs, shell);
    EXPECT_THAT(shell.documents, IsEmpty());
    EXPECT_THAT(shell.programs, IsEmpty());
}

TEST(ShellOpen, OnlyAFileOfItsOwnExeExtensionIsStartedAndOnlyOnWindows) {
#ifdef _WIN32
    const bool started = true;
#else
    const bool started = false;
#endif
    for (const std::string& path :
         {nativePath("/data/tool.exe"), nativePath("/data/TOOL.Exe"), std::string("C:/d/t.exe")}) {
        fake::RecordingShell shell;
        shell.programResult = 77;
        os::ShellOpenResult r = os::ShellOpen(path, shell);
        EXPECT_EQ(shell.programs.size(), started ? 1u : 0u) << path;
        EXPECT_EQ(shell.documents.size(), started ? 0u : 1u) << path;
        if (started) {
            EXPECT_EQ(std::get<double>(r), 77.0) << path;
        }
    }
    for (const std::string& path : {nativePath("/x.exe/00_目次.xls"), nativePath("/a.exe.d/b.xls"),
                                    nativePath("/data/a.exeption.xls"), nativePath("/d/exe")}) {
        fake::RecordingShell shell;
        os::ShellOpen(path, shell);
        EXPECT_THAT(shell.programs, IsEmpty()) << path;
    }
}

TEST(ShellOpen, DocumentsGoToTheShellWithItsWorkingFolderAndItsValueComesBack) {
    fake::RecordingShell shell;
    shell.documentResult = 2;
    os::ShellOpenResult r = os::ShellOpen(nativePath("/data/00_目次.xls"), shell);
    EXPECT_THAT(shell.documents,
                ElementsAre(Opened(nativePath("/data/00_目次.xls"), nativePath("/"))));
    EXPECT_EQ(std::get<std::int32_t>(r), 2);
}

#ifdef _WIN32
TEST(ShellOpen, AProgramThatDoesNotStartGivesZero) {
    fake::RecordingShell shell;
    shell.programResult = 0;
    EXPECT_EQ(std::get<double>(os::ShellOpen(nativePath("/nowhere/x.exe"), shell)), 0.0);
}
#endif

}  // namespace
}  // namespace mokuji::window
