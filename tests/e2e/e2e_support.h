#pragma once

// What the end-to-end tests share: source workbooks written through our
// engine, an opener that records what it was given, and the list file as
// our reader and as xlrd see it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "automation/native/native_application.h"
#include "e2e/run_program.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "support/xlrd_check.h"

namespace e2e {

using automation::Variant;

struct Cell {
    int row, col;
    std::string text;
    const char* name = nullptr;  // the workbook name on the cell, if any
};

// A source workbook saved by our engine, its cells on the first sheet.
inline void makeSource(const std::string& path, const std::vector<Cell>& cells) {
    std::vector<fake::NamedValue> values;
    for (const auto& c : cells) values.push_back({c.name, c.row, c.col, Variant(c.text)});
    fake::makeSource(path, values);
}

inline std::filesystem::path u8path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string textOf(const std::filesystem::path& p) {
    auto u8 = p.u8string();
    return {u8.begin(), u8.end()};
}

// A regular file's bytes; nothing for anything else.
inline std::string contents(const std::string& path) {
    if (!std::filesystem::is_regular_file(u8path(path))) return "";
    std::ifstream in(u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The example workbooks of examples/<from> copied into `to`, without the
// list the example command may have left there.
inline void copyExamples(const std::string& from, const std::filesystem::path& to) {
    std::filesystem::create_directories(to);
    for (const auto& e :
         std::filesystem::directory_iterator(fake::testData("../../examples/" + from))) {
        if (e.path().filename() != u8path("00_目次.xls"))
            std::filesystem::copy_file(e.path(), to / e.path().filename());
    }
}

// True when LibreOffice (and python3-uno, if asked) is missing, which fails
// the test in CI; elsewhere the caller skips.
inline bool withoutLibreOffice(bool uno = false) {
    const bool there = std::system(uno ? "command -v soffice >/dev/null 2>&1 && "
                                         "/usr/bin/python3 -c 'import uno' >/dev/null 2>&1"
                                       : "command -v soffice >/dev/null 2>&1") == 0;
    if (!there && std::getenv("CI") != nullptr) ADD_FAILURE() << "LibreOffice is not installed";
    return !there;
}

// The names directly in a folder, sorted.
inline std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(u8path(folder))) {
        names.push_back(textOf(e.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// An opener that appends every path it is given, one a line, to a file.
class RecordingOpener {
  public:
    explicit RecordingOpener(const fake::TempFolder& dir)
        : record_(dir.file("opened.txt")),
          program_(
              dir.write("opener.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record_ + "'\n")) {
        std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
    }
    const std::string& program() const { return program_; }

    // What was opened; waits a little, as the opener runs detached.
    std::string opened(bool expectSomething = true) const {
        for (int i = 0; i < (expectSomething ? 500 : 30); ++i) {
            const std::string text = contents(record_);
            if (!text.empty() && text.back() == '\n') return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "";
    }
    // Everything opened, once it holds text: the opener of a later run may
    // still be on its way after an earlier one wrote its line.
    std::string openedOnceItHolds(const std::string& text) const {
        std::string seen;
        for (int i = 0; i < 500 && seen.find(text) == std::string::npos; ++i) {
            if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            seen = contents(record_);
        }
        return seen;
    }

  private:
    std::string record_;
    std::string program_;
};

#ifdef MOKUJI_BINARY
// A folder 回答 in a fresh temporary folder, the opener, and the program
// run from the temporary folder over what a test puts there.
struct Scene {
    Scene() { std::filesystem::create_directory(u8path(folder)); }
    ~Scene() {
        // Left read-only by a test, the folder could not be removed.
        std::error_code ec;
        std::filesystem::permissions(u8path(folder), std::filesystem::perms::owner_all, ec);
    }
    std::string at(const std::string& name) const { return folder + "/" + name; }
    std::string list() const { return at("00_目次.xls"); }
    ProgramRun run(const std::vector<std::string>& args,
                   std::map<std::string, std::string> env = {}, const ChildLimits& limits = {}) {
        env.emplace("MOKUJI_OPENER", opener.program());
        // Settings of its own, empty unless a test writes them: the user's
        // running the tests must not decide what is gathered.
        env.emplace("XDG_CONFIG_HOME", dir.file("config"));
        // Tests of permissions run as the unprivileged user when the tests
        // run as root, on folders given to that user.
        if (limits.unprivileged && fake::runningAsRoot()) fake::giveToUnprivilegedUser(dir.path());
        return runProgram(MOKUJI_BINARY, args, env, dir.path().string(), std::chrono::seconds(60),
                          limits);
    }

    fake::TempFolder dir;
    RecordingOpener opener{dir};
    std::string folder = dir.file("回答");
};
#endif

// Every row of the list's sheet from the header down, each cell of column B
// to the last header column as text, cells joined by "|": "1" for 1.0, dates
// as yyyy/mm/dd.
inline std::string listAsOurReaderSees(const std::string& list) {
    auto app = xls::native::createApplication();
    automation::OpenArguments open;
    open.fileName = list;
    open.readOnly = true;
    auto sheet = app->workbooks()->open(open)->sheets()->item(1);
    int lastCol = 2;
    while (!sheet->cells(3, lastCol + 1)->value().toText().empty()) ++lastCol;
    std::string out = "sheet " + sheet->name() + "\n";
    for (int r = 3;; ++r) {
        if (r >= 6 && sheet->cells(r, 2)->value().toText().empty()) break;
        std::string line;
        for (int c = 2; c <= lastCol; ++c) {
            if (c > 2) line += "|";
            line += sheet->cells(r, c)->value().toText();
        }
        out += line + "\n";
    }
    return out;
}

inline const char* kXlrdListScript = R"(
import datetime
s = b.sheet_by_index(0)
print('sheet', s.name)
last = 1
while last + 1 < s.ncols and s.cell_value(2, last + 1) != '':
    last += 1
def text(c):
    if c.ctype == 2:
        return str(int(c.value)) if c.value == int(c.value) else repr(c.value)
    if c.ctype == 3:
        return datetime.datetime(*xlrd.xldate_as_tuple(c.value, b.datemode)).strftime('%Y/%m/%d')
    return str(c.value)
for r in range(2, s.nrows):
    if r >= 5 and s.cell_value(r, 1) == '':
        break
    print('|'.join(text(s.cell(r, c)) for c in range(1, last + 1)))
)";

// The list as our reader and as xlrd see it, each compared with expected.
// Without xlrd only our reader checks; the rest of the test still runs.
inline void expectBothReadersAgree(const std::string& list, const std::string& expected) {
    EXPECT_EQ(listAsOurReaderSees(list), expected);
    if (!fake::xlrdAvailable()) {
        ::testing::Test::RecordProperty("xlrd", "python3-xlrd is not installed");
        return;
    }
    EXPECT_EQ(fake::xlrdSays(list, kXlrdListScript), expected);
}

}  // namespace e2e
