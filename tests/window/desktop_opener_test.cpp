// The Linux opener with real processes: what the opener is given, that
// nothing is left waiting or unreaped, and that a missing opener or a file
// that is no program only shows in the result.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "os/detached_process.h"
#include "os/xdg_shell.h"
#include "support/temp_folder.h"

namespace mokuji::window {
namespace {

std::string readWhenWritten(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        if (!text.empty() && text.back() == '\n') return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(nothing written)";
}

std::string script(const fake::TempFolder& dir, const std::string& name, const std::string& body) {
    std::string path = dir.write(name, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

class DesktopOpener : public ::testing::Test {
  protected:
    fake::TempFolder dir;
};

TEST_F(DesktopOpener, TheOpenerGetsTheAbsolutePathAndRunsInTheWorkingFolder) {
    std::string record = dir.file("opened.txt");
    os::XdgShell shell(
        script(dir, "opener", "printf '%s|%s\\n' \"$1\" \"$(pwd)\" > '" + record + "'"));
    std::filesystem::create_directory(dir.file("data"));
    std::string here = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.path());
    int result = shell.openDocument("data/00_目次.xls", "/");
    std::filesystem::current_path(here);
    EXPECT_GT(result, 32);
    EXPECT_EQ(readWhenWritten(record), dir.file("data/00_目次.xls") + "|/\n");
}

TEST(DetachedProcess, TheProgramIsNeitherOurChildNorInOurSession) {
    os::DetachedStart started = os::StartDetached({"/bin/sleep", "1"}, "/", false);
    ASSERT_GT(started.pid, 0) << started.error;
    errno = 0;
    EXPECT_EQ(waitpid(static_cast<pid_t>(started.pid), nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    // The one process we forked ourselves has been reaped already.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    pid_t session = getsid(static_cast<pid_t>(started.pid));
    EXPECT_GT(session, 0);
    EXPECT_NE(session, getsid(0));
}

TEST_F(DesktopOpener, AMissingOpenerIsALowValueNotAFault) {
    os::XdgShell shell(dir.file("no-such-opener"));
    EXPECT_EQ(shell.openDocument(dir.file("a.xls"), "/"), os::kOpenerNotFound);
    os::XdgShell inPath("mokuji-no-such-opener-anywhere");
    EXPECT_LE(inPath.openDocument(dir.file("a.xls"), "/"), 32);
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(DesktopOpener, StartingAProgramThatIsADocumentFailsWithoutRunningIt) {
    os::XdgShell shell("true");
    std::string marker = dir.file("ran");
    // Executable bits on a document (as on some mounted drives) must not get
    // its text run by the shell.
    std::filesystem::create_directory(dir.file("x.exe.d"));
    std::string list = dir.write("x.exe.d/00_目次.xls", "touch '" + marker + "'\n");
    std::filesystem::permissions(list, std::filesystem::perms::owner_all);
    EXPECT_EQ(shell.startProgram(list), 0.0);
    EXPECT_EQ(shell.startProgram(dir.file("missing.exe")), 0.0);
    std::string plain = dir.write("plain.exe", "not a program");
    EXPECT_EQ(shell.startProgram(plain), 0.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(DesktopOpener, AProgramStartsAndItsIdComesBack) {
    std::string record = dir.file("started.txt");
    os::XdgShell shell("true");
    double pid = shell.startProgram(script(dir, "tool.exe", "echo $$ > '" + record + "'"));
    ASSERT_GT(pid, 0.0);
    EXPECT_EQ(readWhenWritten(record), std::to_string(static_cast<long>(pid)) + "\n");
}

TEST(OpenerChoice, TheEnvironmentNamesTheOpenerAndXdgOpenIsTheDefault) {
    const char* before = std::getenv("MOKUJI_OPENER");
    std::string saved = before ? before : "";
    setenv("MOKUJI_OPENER", "/usr/local/bin/record-open", 1);
    EXPECT_EQ(os::XdgShell().opener(), "/usr/local/bin/record-open");
    setenv("MOKUJI_OPENER", "", 1);
    EXPECT_EQ(os::XdgShell().opener(), "xdg-open");
    unsetenv("MOKUJI_OPENER");
    EXPECT_EQ(os::XdgShell().opener(), "xdg-open");
    if (before) setenv("MOKUJI_OPENER", saved.c_str(), 1);
}

}  // namespace
}  // namespace mokuji::window
