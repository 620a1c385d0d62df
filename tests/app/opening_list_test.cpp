// Opening the finished list file: which file is looked up, what is handed
// to the shell, and when a path is taken for a program.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/mokuji_open.h"
#include "app/startup_fakes.h"
#include "util/shell_open.h"

namespace mokuji::app {
namespace {

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
    sub_mokuji_open("00_目次.xls", fs, shell);
    EXPECT_THAT(fs.lookups, ElementsAre("00_目次.xls"));
    EXPECT_THAT(shell.documents, ElementsAre(Opened("00_目次.xls", "/")));
}

TEST_F(OpeningList, TheListOfTheWorkingFolderIsOpenedNotTheWorkbookGiven) {
    fs.addFile("/data/a.xls");
    fs.addFile("/data/00_目次.xls");
    sub_mokuji_open("/data/a.xls", fs, shell);
    EXPECT_THAT(shell.documents, ElementsAre(Opened("/data/00_目次.xls", "/")));
}

TEST_F(OpeningList, AListFoundInOtherLetterCaseIsOpenedUnderItsOwnName) {
    fs.addFile("/data/00_目次.XLS");
    sub_mokuji_open("/data/", fs, shell);
    EXPECT_THAT(shell.documents, ElementsAre(Opened("/data/00_目次.XLS", "/")));
}

TEST_F(OpeningList, AMissingOrHiddenListIsNotOpened) {
    fs.addFile("/hidden/00_目次.xls", true);
    sub_mokuji_open("/data/", fs, shell);
    sub_mokuji_open("/hidden/", fs, shell);
    EXPECT_THAT(shell.documents, IsEmpty());
    EXPECT_THAT(shell.programs, IsEmpty());
}

TEST_F(OpeningList, AListInAFolderNamedLikeAProgramIsStartedAsOne) {
    fs.addFile("/data/Tools.Exe/00_目次.xls");
    sub_mokuji_open("/data/Tools.Exe/", fs, shell);
    EXPECT_THAT(shell.programs, ElementsAre("/data/Tools.Exe/00_目次.xls"));
    EXPECT_THAT(shell.documents, IsEmpty());
}

TEST(ShellOpen, ExeAnywhereInAnyCaseStartsAProgram) {
    for (const char* path :
         {"/data/tool.exe", "/data/TOOL.EXE", "/x.exe.d/00_目次.xls", "/data/a.exeption.xls"}) {
        fake::RecordingShell shell;
        shell.programResult = 77;
        util::ShellOpenResult r = util::ShellOpen(path, shell);
        EXPECT_THAT(shell.programs, ElementsAre(path));
        EXPECT_EQ(std::get<double>(r), 77.0) << path;
    }
}

TEST(ShellOpen, DocumentsGoToTheShellWithItsWorkingFolderAndItsValueComesBack) {
    fake::RecordingShell shell;
    shell.documentResult = 2;
    util::ShellOpenResult r = util::ShellOpen("/data/00_目次.xls", shell);
    EXPECT_THAT(shell.documents, ElementsAre(Opened("/data/00_目次.xls", "/")));
    EXPECT_EQ(std::get<std::int32_t>(r), 2);
    // ".ex" alone or "exe" without its dot is no program.
    util::ShellOpen("/data/exe/a.ex", shell);
    EXPECT_THAT(shell.programs, IsEmpty());
}

TEST(ShellOpen, AProgramThatDoesNotStartGivesZero) {
    fake::RecordingShell shell;
    shell.programResult = 0;
    EXPECT_EQ(std::get<double>(util::ShellOpen("/nowhere/x.exe", shell)), 0.0);
}

}  // namespace
}  // namespace mokuji::app
