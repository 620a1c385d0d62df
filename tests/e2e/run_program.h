#pragma once

// Runs the real program as a user would, with a time limit, and collects
// what it printed to standard error and its exit status.

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"
#include "support/unprivileged_user.h"

extern char** environ;

namespace e2e {

struct ProgramRun {
    int status = -1;  // the exit status; -1 when it did not exit by itself
    int signal = 0;   // the signal that ended it, if one did
    std::string err;  // standard error
    std::string out;  // standard output
    bool timedOut = false;
};

// What the child is denied, for the tests of faults on disk.
struct ChildLimits {
    // As root, the program runs as the unprivileged user, whom permissions
    // stop; the test gives it the folders it works in.
    bool unprivileged = false;
    // The largest file the program may write, in bytes (RLIMIT_FSIZE), with
    // SIGXFSZ ignored so that a write stops short instead of killing it.
    long long fileSizeLimit = -1;
};

// The program speaks the language the locale names: whatever the user's,
// a test hears its own language (UTF-8, for the names), unless the test
// gives a locale itself.
inline const std::set<std::string> kLocale = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
inline constexpr const char* kDefaultLocale = "LANG=C.UTF-8";

// The texts as exec takes them, ended by a null pointer; they point into
// texts, which must outlive them.
inline std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& t : texts) pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts the program with fork and execve, as posix_spawn could not change
// the user nor set a limit in the child alone. Only async-signal-safe calls
// happen between the two.
inline pid_t startChild(const std::string& program, char* const argv[], char* const envp[],
                        int outFd, int errFd, const std::string& workingFolder,
                        const ChildLimits& limits) {
    const bool dropUser = limits.unprivileged && fake::runningAsRoot();
    pid_t pid = fork();
    if (pid != 0) return pid;
    int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (in < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(outFd, STDOUT_FILENO) < 0 ||
        dup2(errFd, STDERR_FILENO) < 0 || chdir(workingFolder.c_str()) != 0)
        _exit(127);
    // The signals that end a run do so by default, as from a terminal, even
    // when the tests were started ignoring them (nohup).
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
    if (limits.fileSizeLimit >= 0) {
        action.sa_handler = SIG_IGN;
        struct rlimit fsize {};
        fsize.rlim_cur = fsize.rlim_max = static_cast<rlim_t>(limits.fileSizeLimit);
        if (sigaction(SIGXFSZ, &action, nullptr) != 0 || setrlimit(RLIMIT_FSIZE, &fsize) != 0)
            _exit(127);
    }
    if (dropUser && (setgroups(0, nullptr) != 0 || setgid(fake::kUnprivilegedGid) != 0 ||
                     setuid(fake::kUnprivilegedUid) != 0))
        _exit(127);
    execve(program.c_str(), argv, envp);
    _exit(127);
}

inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& env,
                             const std::string& workingFolder,
                             std::chrono::seconds limit = std::chrono::seconds(60),
                             const ChildLimits& childLimits = {}) {
    fake::TempFolder scratch;
    const std::string errFile = scratch.file("stderr.txt");
    const std::string outFile = scratch.file("stdout.txt");

    std::vector<std::string> envText;
    // The program under test runs as on a machine without a desktop: with a
    // display it would open its window, and a message box would wait for a
    // click that never comes.
    const std::set<std::string> noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        std::string key = entry.substr(0, entry.find('='));
        if (!env.count(key) && !noDisplay.count(key) && !kLocale.count(key))
            envText.push_back(entry);
    }
    for (const auto& [k, v] : env) envText.push_back(k + "=" + v);
    if (!env.count("LANG")) envText.push_back(kDefaultLocale);
    std::vector<char*> envp = pointersTo(envText);

    std::vector<std::string> argText = {program};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> argv = pointersTo(argText);

    ProgramRun run;
    const int outFd = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int errFd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t pid = outFd < 0 || errFd < 0 ? -1
                                             : startChild(program, argv.data(), envp.data(), outFd,
                                                          errFd, workingFolder, childLimits);
    for (int fd : {outFd, errFd})
        if (fd >= 0) close(fd);
    if (pid < 0) {
        run.err = "could not start " + program;
        return run;
    }
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!run.timedOut && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    if (!run.timedOut && WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    std::ifstream in(errFile, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(in), {});
    std::ifstream out(outFile, std::ios::binary);
    run.out.assign(std::istreambuf_iterator<char>(out), {});
    return run;
}

// Runs the program with a terminal of the given width as its standard
// input, output and error, as from a shell; everything it printed comes
// back in err.
inline ProgramRun runOnTerminal(const std::string& program, const std::vector<std::string>& args,
                                const std::map<std::string, std::string>& env,
                                const std::string& workingFolder, unsigned short columns) {
    std::vector<std::string> argText = {program};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> argv = pointersTo(argText);

    ProgramRun run;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
    if (pid < 0) {
        run.err = "no terminal for " + program;
        return run;
    }
    if (pid == 0) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
        for (const std::string& name : kLocale) unsetenv(name.c_str());
        putenv(const_cast<char*>(kDefaultLocale));
        for (const auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
        if (chdir(workingFolder.c_str()) != 0) _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    // Read until the child's side closes (EIO on Linux), then reap it.
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n <= 0) break;
        run.err.append(buffer, static_cast<std::size_t>(n));
    }
    close(terminal);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

}  // namespace e2e
