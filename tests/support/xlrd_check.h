#pragma once

// Runs a Python snippet with xlrd over a file, for checking what we write
// with an independent reader. The snippet sees the workbook as `b`.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_folder.h"

namespace fake {

inline bool xlrdAvailable() {
#ifdef _WIN32
    // The build machine's Python is beyond a Windows program's reach; the
    // Linux run checks the same files.
    return false;
#else
    return std::system("/usr/bin/python3 -c 'import xlrd' >/dev/null 2>&1") == 0;
#endif
}

// What a Python snippet printed about the file at sys.argv[1], or
// "<failed> failed: ..." with its output.
inline std::string pythonSays(const std::string& path, const std::string& code,
                              const std::string& failed = "python") {
    TempFolder dir;
    std::string script = dir.write("check.py", code + "\n");
    std::string out = dir.file("out.txt");
    std::string cmd = "/usr/bin/python3 '" + script + "' '" + path + "' > '" + out + "' 2>&1";
    int rc = std::system(cmd.c_str());
    std::ifstream in(out, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    return rc == 0 ? text : failed + " failed: " + text;
}

// What the snippet printed, or "xlrd failed: ..." with its output.
inline std::string xlrdSays(const std::string& path, const std::string& code) {
    return pythonSays(
        path,
        "import sys, xlrd\nb = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n" + code,
        "xlrd");
}

}  // namespace fake
