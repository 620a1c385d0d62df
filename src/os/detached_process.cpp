#include "os/detached_process.h"

#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string_view>

extern char** environ;

namespace mokuji::os {

namespace {

// The two processes started report to us through one pipe: the middle one
// sends the program's pid, the program sends the errno of a failed exec.
// The pipe closes on a successful exec, which is how we learn it ran.
struct Report {
    char kind;  // 'p' pid, 'e' exec error, 'f' fork error
    std::int64_t value;
};

void send(int fd, char kind, std::int64_t value) {
    Report r{kind, value};
    // A report is smaller than PIPE_BUF, so the write is atomic and whole.
    [[maybe_unused]] ssize_t n = write(fd, &r, sizeof r);
}

[[noreturn]] void runProgram(int reportFd, char* const* args, const char* folder, bool searchPath,
                             char* const* env) {
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        if (devNull != STDIN_FILENO) close(devNull);
    }
    if (chdir(folder) != 0) {
        send(reportFd, 'e', errno);
        _exit(127);
    }
    if (searchPath) {
        execvpe(args[0], args, env);
    } else {
        execve(args[0], args, env);
    }
    send(reportFd, 'e', errno);
    _exit(127);
}

}  // namespace

DetachedStart StartDetached(const std::vector<std::string>& argv, const std::string& workingFolder,
                            bool searchPath, const std::vector<std::string>& environment) {
    if (argv.empty()) return {0, EINVAL};
    // Everything the children need is built before fork: after it only
    // async-signal-safe calls are made.
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        const auto named = [&entry](const std::string& added) {
            return added.substr(0, added.find('=') + 1) == entry.substr(0, entry.find('=') + 1);
        };
        if (std::none_of(environment.begin(), environment.end(), named))
            envText.emplace_back(entry);
    }
    envText.insert(envText.end(), environment.begin(), environment.end());
    std::vector<char*> env;
    for (auto& e : envText) env.push_back(e.data());
    env.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {0, errno};

    pid_t middle = fork();
    if (middle < 0) {
        int e = errno;
        close(fds[0]);
        close(fds[1]);
        return {0, e};
    }
    if (middle == 0) {
        close(fds[0]);
        // A session of its own keeps the program alive when our terminal
        // closes, and exiting at once hands it to init, which reaps it.
        setsid();
        pid_t program = fork();
        if (program < 0) {
            send(fds[1], 'f', errno);
            _exit(1);
        }
        if (program == 0)
            runProgram(fds[1], args.data(), workingFolder.c_str(), searchPath, env.data());
        send(fds[1], 'p', program);
        _exit(0);
    }

    close(fds[1]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }

    DetachedStart result;
    Report r;
    for (;;) {
        ssize_t n = read(fds[0], &r, sizeof r);
        if (n < 0 && errno == EINTR) continue;
        if (n != static_cast<ssize_t>(sizeof r)) break;
        if (r.kind == 'p') {
            result.pid = static_cast<long>(r.value);
        } else {
            result.error = static_cast<int>(r.value);
        }
    }
    close(fds[0]);
    if (result.error != 0) result.pid = 0;
    if (result.pid == 0 && result.error == 0) result.error = ECHILD;
    return result;
}

}  // namespace mokuji::os
