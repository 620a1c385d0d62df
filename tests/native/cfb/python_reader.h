#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace xls::testing {

inline constexpr const char* kPython = "/usr/bin/python3";

// True when the system's Python can import `module`; tests that check our
// output with an independent reader skip otherwise.
inline bool pythonHasModule(const std::string& module) {
#ifdef _WIN32
    // The independent readers run on the build machine's Python, which a
    // Windows program cannot start; the Linux build checks the same bytes.
    (void)module;
    return false;
#else
    if (::access(kPython, X_OK) != 0) return false;
    const std::string cmd = std::string(kPython) + " -c 'import " + module + "' >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

// Runs `script` with `args` (paths without quotes) and returns what it
// printed; nullopt, with the output in `failure`, when it did not exit 0.
inline std::optional<std::string> runPython(const std::filesystem::path& folder,
                                            const std::string& script,
                                            const std::vector<std::string>& args,
                                            std::string* failure = nullptr) {
#ifdef _WIN32
    (void)folder, (void)script, (void)args;
    if (failure) *failure = "no Python for a Windows program";
    return std::nullopt;
#else
    const auto scriptPath = folder / "check.py";
    std::ofstream(scriptPath) << script;
    std::string cmd = std::string(kPython) + " '" + scriptPath.string() + "'";
    for (const auto& a : args) cmd += " '" + a + "'";
    cmd += " 2>&1";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        if (failure) *failure = out;
        return std::nullopt;
    }
    return out;
#endif
}

inline std::string hexDecode(const std::string& hex) {
    std::string out;
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
    return out;
}

}  // namespace xls::testing
