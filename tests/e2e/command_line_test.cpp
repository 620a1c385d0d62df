// How the program takes its command line: relative paths, quotes, blanks,
// opening the list, and arguments it cannot use, which it names and answers
// with a failing status.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// Everything the program may be started in: folders of workbooks, one
// with blanks, ones named like programs or like an option, a folder of no
// workbooks, and a copy of the program in a folder of workbooks of its own.
const char* const kFolders[] = {"回答",  "回答/sub", "アンケート 2024", "x",      "y",  "一",  "二",
                                "x.exe", "a.exe.d",  "2024.exercises",  "--help", "空", "tool"};

void layOut(const fake::TempFolder& dir, bool withProgram) {
    for (const char* folder : kFolders)
        std::filesystem::create_directories(u8path(dir.file(folder)));
    for (const char* name :
         {"回答/a.xls", "回答/b.xls", "アンケート 2024/a.xls", "y/a.xls", "一/a.xls", "二/b.xls",
          "x.exe/a.xls", "a.exe.d/a.xls", "2024.exercises/a.xls", "--help/a.xls", "tool/a.xls"})
        makeSource(dir.file(name), {{2, 2, "回答", "件名"}});
    dir.write("空/a.ods", "");
    if (withProgram) std::filesystem::copy_file(MOKUJI_BINARY, dir.file("tool/mokuji"));
}

struct Arguments {
    std::vector<std::string> args;  // "@" stands for the test's folder
    int status;
    std::string out;               // what standard output holds; "" for nothing
    std::vector<std::string> err;  // what standard error holds
    std::string listIn = "";       // the one folder a list is written in and opened, if any
    std::string from = "";         // the working folder
    bool copiedProgram = false;    // run the copy in tool/
};

// Paths relative to the working folder, quotes, blanks, several paths and
// options, as users of command-line tools write them. A fault is a usage
// error that names what it could not use, with nothing written or opened.
TEST(CommandLine, ArgumentsAreTakenAsGivenAndFaultsNamed) {
    const std::string version = "mokuji " MOKUJI_VERSION_TEXT "\n";
    const std::string missing = "見つかりません。\n\n";
    const Arguments cases[] = {
        {{"@/回答"}, 0, "", {"目次ファイルに2行を書き込みました"}, "回答"},
        // From the working folder, not the program's own.
        {{"."}, 0, "", {}, "回答", "回答", true},
        {{"回答"}, 0, "", {}, "回答", "", true},
        {{"../b.xls"}, 0, "", {}, "回答", "回答/sub", true},
        {{"@/x.exe"}, 0, "", {}, "x.exe"},
        {{"@/a.exe.d"}, 0, "", {}, "a.exe.d"},
        {{"@/2024.exercises"}, 0, "", {}, "2024.exercises"},
        // Quotes around a path are dropped; arguments arrive split and stay
        // so: one with a blank is one path, two are never joined.
        {{"\"@/アンケート 2024\""}, 0, "", {}, "アンケート 2024"},
        {{"@/x y"}, 64, "", {missing + "@/x y\n"}},
        {{"@/アンケート", "2024/a.xls"}, 64, "", {missing + "@/アンケート\n"}},
        // Several files from a launcher: the folder of the last.
        {{"@/一/a.xls", "@/二/b.xls"}, 0, "", {}, "二"},
        {{"@/どこにもない/a.xls"}, 64, "", {missing + "@/どこにもない/a.xls\n"}},
        {{"@/空"},
         1,
         "",
         {"以下のフォルダにはEXCELのシートがありません。\n\n@/空/\n",
          "\na.ods（ods形式（OpenDocument）"}},
        {{}, 64, "", {"使い方: mokuji"}},
        {{"\""}, 64, "", {"\n\n\"\n"}},
        {{"--help"}, 0, "使い方: mokuji パス\n", {}},
        {{"-h", "@/--help"}, 0, "  --verbose", {}},
        {{"@/--help", "--help"}, 0, "終了ステータス:", {}},
        {{"--version"}, 0, version, {}},
        {{"-V"}, 0, version, {}},
        {{"--verbos", "@/--help"}, 64, "", {"不明なオプションです: --verbos\n"}},
        {{"-x"}, 64, "", {"使い方は mokuji --help で表示します。\n"}},
        {{"@/--help", "--extensions"}, 64, "", {"--extensions の後に拡張子を指定してください"}},
        {{"--extensions=xls", "--extensions", "xlsx", "@/--help"},
         64,
         "",
         {"--extensions は一度だけ指定してください。\n"}},
        {{"--extensions", "*.xls", "@/--help"}, 64, "", {"--extensions *.xls："}},
        {{"--extensions", "xls;xlsx", "@/回答"},
         64,
         "",
         {"--extensions xls;xlsx：拡張子はカンマで区切って指定してください"}},
        {{"--list", "xlsm", "@/回答"},
         64,
         "",
         {"--list の後に目次ファイルの形式 xls か xlsx を指定してください"}},
        {{"@/回答", "--list"}, 64, "", {"--list の後に目次ファイルの形式"}},
        // The rows for other programs: one output, with its file and a folder.
        {{"--csv", "a.csv", "--jsonl", "b.jsonl", "@/回答"},
         64,
         "",
         {"--csv と --jsonl は、どちらか一つを一度だけ指定してください。\n"}},
        {{"@/回答", "--jsonl"}, 64, "", {"--jsonl の後に書き出すファイル名を指定してください"}},
        {{"--jsonl=-", "--bom", "@/回答"}, 64, "", {"--bom は --csv と一緒に指定してください"}},
        {{"--csv=-"}, 64, "", {"フォルダのパスも指定してください。\n"}},
        // A folder named like an option is reached as a path or after "--",
        // and after "--" everything is a path.
        {{"./--help"}, 0, "", {}, "--help"},
        {{"--", "--help"}, 0, "", {}, "--help"},
        {{"--extensions", "xls,xlsx", "--", "--help"}, 0, "", {}, "--help"},
    };
    for (const Arguments& c : cases) {
        fake::TempFolder dir;
        layOut(dir, c.copiedProgram);
        RecordingOpener opener(dir);
        const auto withFolder = [&](std::string text) {
            for (std::size_t at = 0; (at = text.find('@', at)) != std::string::npos;)
                text.replace(at, 1, dir.path().string());
            return text;
        };
        std::vector<std::string> args;
        for (const auto& a : c.args) args.push_back(withFolder(a));
        SCOPED_TRACE(::testing::PrintToString(args));
        ProgramRun r = runProgram(c.copiedProgram ? dir.file("tool/mokuji") : MOKUJI_BINARY, args,
                                  {{"MOKUJI_OPENER", opener.program()}}, dir.file(c.from));
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(c.out.empty() ? r.out.empty() : r.out.find(c.out) != std::string::npos)
            << r.out;
        // An answer with nothing run says nothing on standard error.
        if (c.status == 0 && c.listIn.empty()) {
            EXPECT_EQ(r.err, "");
        }
        for (const auto& part : c.err) EXPECT_THAT(r.err, HasSubstr(withFolder(part)));
        EXPECT_THAT(r.err, Not(HasSubstr("\r")));
        for (const char* folder : kFolders) {
            EXPECT_EQ(std::filesystem::exists(u8path(dir.file(folder) + "/00_目次.xls")),
                      folder == c.listIn)
                << folder;
        }
        EXPECT_EQ(opener.opened(!c.listIn.empty()),
                  c.listIn.empty() ? "" : dir.file(c.listIn) + "/00_目次.xls\n");
    }
}

// Every option the parser takes is named in the usage lines at the top of
// --help and has its entry in the table of options below them, which names
// no other; every exit status the program can end with is explained.
TEST(CommandLine, HelpNamesEveryOptionAndStatus) {
    const std::vector<std::string> taken = {
        "-h",          "--help",         "-V",        "--version", "--extensions", "-r",
        "--recursive", "--no-recursive", "--include", "--exclude", "--csv",        "--jsonl",
        "--bom",       "--verbose",      "--list",    "--"};
    fake::TempFolder dir;
    const ProgramRun help = runProgram(MOKUJI_BINARY, {"--help"}, {}, dir.path().string());
    ASSERT_EQ(help.status, 0);
    const std::size_t usageEnd = help.out.find("\n\n");
    const std::size_t tableBegin = help.out.find("\nオプション");
    const std::size_t statusBegin = help.out.find("\n終了ステータス:\n");
    ASSERT_LT(usageEnd, tableBegin);
    ASSERT_LT(tableBegin, statusBegin);
    const std::string usage = help.out.substr(0, usageEnd);
    const std::string table = help.out.substr(tableBegin, statusBegin - tableBegin);
    const auto named = [](const std::string& text, const std::string& option) {
        for (std::size_t at = 0; (at = text.find(option, at)) != std::string::npos; ++at) {
            const bool startsWord =
                at == 0 || std::string(" [|\n").find(text[at - 1]) != std::string::npos;
            const char after = at + option.size() < text.size() ? text[at + option.size()] : ' ';
            if (startsWord && std::string(" ],|=\n").find(after) != std::string::npos) return true;
        }
        return false;
    };
    for (const std::string& option : taken) {
        SCOPED_TRACE(option);
        EXPECT_TRUE(named(usage, option)) << usage;
        EXPECT_TRUE(named(table, option)) << table;
        // Taken, whatever the run then says of the missing path.
        const ProgramRun r = runProgram(MOKUJI_BINARY, {option}, {}, dir.path().string());
        EXPECT_THAT(r.err, Not(HasSubstr("不明なオプションです")));
    }
    // The table names no option the parser would refuse.
    for (std::size_t at = 0; (at = table.find("\n  -", at)) != std::string::npos; ++at) {
        const std::size_t begin = at + 3;
        const std::string entry = table.substr(begin, table.find("  ", begin) - begin);
        for (std::size_t from = 0; from < entry.size();) {
            std::size_t end = std::min(entry.find_first_of(" ,=", from), entry.size());
            const std::string word = entry.substr(from, end - from);
            if (word.starts_with("-")) {
                EXPECT_NE(std::find(taken.begin(), taken.end(), word), taken.end()) << word;
            }
            from = end + 1;
        }
    }
    for (const char* status : {"0", "1", "2", "3", "4", "5", "64", "70"})
        EXPECT_THAT(help.out.substr(statusBegin), HasSubstr(std::string("\n  ") + status + " "));
}

TEST(CommandLine, AListTheDesktopOpensWithTheProgramItselfIsNotRunAgain) {
    Scene s;
    makeSource(s.at("a.xls"), {{2, 2, "a", "件名"}});
    // The desktop's program for workbooks is mokuji: it gets the list. Only
    // the first such start runs, should the chain not stop by itself.
    const std::string again = s.dir.file("again");
    const std::string desktop = s.dir.write(
        "desktop.sh", "#!/bin/sh\nmkdir '" + again + "' || exit 0\n'" MOKUJI_BINARY "' \"$1\" 2>'" +
                          again + "/err'\necho $? >'" + again + "/status'\n");
    std::filesystem::permissions(desktop, std::filesystem::perms::owner_all);

    ProgramRun r = s.run({s.folder}, {{"MOKUJI_OPENER", desktop}});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string status;
    for (int i = 0; i < 500 && status.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        status = contents(again + "/status");
    }
    EXPECT_EQ(status, "64\n");
    EXPECT_THAT(contents(again + "/err"), HasSubstr("このプログラム自身が選ばれています"));
    EXPECT_THAT(contents(again + "/err"), HasSubstr(s.list()));
}

// The user's locale chooses the language of what the program says, in
// gettext's order; the list's own texts are data and stay as they are.
TEST(CommandLine, MessagesInTheUsersLanguageAndTheListAsItIs) {
    struct Locale {
        std::map<std::string, std::string> env;  // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
        std::vector<std::string> args;
        std::string said;  // on standard output or error
    };
    const auto locale = [](std::string language, std::string all, std::string messages,
                           std::string lang) {
        return std::map<std::string, std::string>{
            {"LANGUAGE", language}, {"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}};
    };
    const Locale cases[] = {
        {locale("", "", "", "en_US.UTF-8"), {"--help"}, "Usage: mokuji PATH\n"},
        {locale("", "", "", "en_US.UTF-8"), {"-x"}, "Unknown option: -x\n"},
        {locale("", "", "", "en_US.UTF-8"),
         {"@"},
         "Rows written to the list file: 1 (workbooks not read: 0): @/00_目次.xls\n"},
        {locale("", "", "en_GB.UTF-8", "ja_JP.UTF-8"), {"--help"}, "Exit status:\n"},
        {locale("fr:en", "", "", "ja_JP.UTF-8"), {"--help"}, "Usage: mokuji PATH\n"},
        {locale("ja:en", "", "", "en_US.UTF-8"), {"--help"}, "使い方: mokuji パス\n"},
        {locale("fr", "", "", "en_US.UTF-8"), {"--help"}, "使い方: mokuji パス\n"},
        // LANGUAGE is not read under the C locale, nor LANG under LC_ALL.
        {locale("en", "C", "", "en_US.UTF-8"), {"--help"}, "使い方: mokuji パス\n"},
        {locale("", "ja_JP.UTF-8", "", "en_US.UTF-8"), {"--help"}, "使い方: mokuji パス\n"},
        {locale("en", "", "", "C.UTF-8"), {"-x"}, "不明なオプションです: -x\n"},
        {locale("", "", "", ""),
         {"@"},
         "目次ファイルに1行を書き込みました（読めなかったブック0件）"},
    };
    for (const Locale& c : cases) {
        Scene s;
        makeSource(s.at("a.xls"), {{2, 2, "a", "件名"}});
        std::vector<std::string> args;
        for (const auto& a : c.args) args.push_back(a == "@" ? s.folder : a);
        SCOPED_TRACE(::testing::PrintToString(c.env) + ::testing::PrintToString(args));
        ProgramRun r = s.run(args, c.env);
        std::string said = c.said;
        if (auto at = said.find('@'); at != std::string::npos) said.replace(at, 1, s.folder);
        EXPECT_THAT(r.out + r.err, HasSubstr(said));
        if (c.args[0] == "@") {
            EXPECT_THAT(listAsOurReaderSees(s.list()), StartsWith("sheet 目次\nNo.|FILE名|件名\n"));
        }
    }
}

// To a file or a pipe (cron, a log): each workbook skipped with why, then
// the summary with the list's path; the captions only when asked for. On a
// terminal, progress is one line redrawn, never as wide as the terminal.
TEST(CommandLine, ProgressAndSummaryAsTheOutputCanShowThem) {
    Scene s;
    for (const char* name : {"a.xls", "b.xls", "c.xls"})
        makeSource(s.at(name), {{2, 2, name, "件名"}});
    std::ofstream(u8path(s.at("d.xls"))) << "not a workbook";
    const std::string summary =
        "目次ファイルに3行を書き込みました（読めなかったブック1件）: " + s.list();
    const std::string skipped = "\nd.xls（";

    ProgramRun quiet = s.run({s.folder});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_THAT(quiet.err, Not(HasSubstr("caption:")));
    EXPECT_THAT(quiet.err, HasSubstr(skipped));
    EXPECT_THAT(quiet.err, ::testing::EndsWith(summary + "\n"));

    ProgramRun verbose = s.run({s.folder, "--verbose"});
    EXPECT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_THAT(verbose.err, HasSubstr("caption: mokuji - 目次ファイル更新開始\n"));
    EXPECT_THAT(verbose.err, HasSubstr("caption: mokuji - [b.xls]\n"));
    EXPECT_THAT(verbose.err, HasSubstr(skipped));
    EXPECT_THAT(verbose.err, HasSubstr(summary + "\n"));

    ProgramRun r = runOnTerminal(MOKUJI_BINARY, {s.folder}, {{"MOKUJI_OPENER", s.opener.program()}},
                                 s.dir.path().string(), 40);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, Not(HasSubstr("caption:")));
    EXPECT_THAT(r.err, HasSubstr("\r[1/4] a.xls"));
    EXPECT_THAT(r.err, HasSubstr("\r[4/4] d.xls"));
    // The terminal turns each newline into CR LF.
    EXPECT_THAT(r.err, HasSubstr(summary + "\r\n"));
    std::size_t longest = 0;
    for (std::size_t from = 0; from < r.err.size();) {
        std::size_t end = r.err.find_first_of("\r\n", from);
        if (end == std::string::npos) end = r.err.size();
        if (r.err.compare(from, 1, "[") == 0) longest = std::max(longest, end - from);
        from = end + 1;
    }
    EXPECT_LT(longest, 40u);
}

// A display nobody can see (a stale forwarding, cron, offscreen) is none:
// the run works on the console and no message box waits for a click. With
// a display, the window shows the run and the program ends.
TEST(CommandLine, TheWindowOnlyWhereItCanBeSeen) {
    Scene s;
    makeSource(s.at("a.xls"), {{2, 2, "a.xls", "件名"}});
    const std::string empty = s.dir.file("空");
    std::filesystem::create_directory(u8path(empty));
    fake::TempFolder runtime;
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    const std::string xdg = runtime.path().string();
    int absent = 97;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(absent))) ++absent;
    ProgramRun stale =
        s.run({s.folder}, {{"DISPLAY", ":" + std::to_string(absent)}, {"XDG_RUNTIME_DIR", xdg}});
    EXPECT_FALSE(stale.timedOut);
    EXPECT_EQ(stale.status, 0) << stale.err;
    EXPECT_THAT(stale.err, HasSubstr("目次ファイルに1行を書き込みました"));
    EXPECT_EQ(s.opener.opened(), s.list() + "\n");

    ProgramRun offscreen =
        s.run({empty}, {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", xdg}});
    EXPECT_FALSE(offscreen.timedOut);
    EXPECT_EQ(offscreen.status, 1);
    EXPECT_THAT(offscreen.err, HasSubstr("以下のフォルダにはEXCELのシートがありません。"));

    const auto module = std::filesystem::path(MOKUJI_BINARY).parent_path() / "mokuji-desktop.so";
    if (!std::filesystem::exists(module)) GTEST_SKIP() << "built without the window";
    if (!std::filesystem::exists("/usr/bin/xvfb-run")) GTEST_SKIP() << "no X server to show it";
    std::filesystem::remove(u8path(s.list()));
    ProgramRun r = runProgram("/usr/bin/xvfb-run", {"-a", MOKUJI_BINARY, s.folder},
                              {{"MOKUJI_OPENER", s.opener.program()}, {"XDG_RUNTIME_DIR", xdg}},
                              s.dir.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(r.timedOut);
    // The window, not the console, showed the progress.
    EXPECT_THAT(r.err, Not(HasSubstr("caption:")));
    EXPECT_EQ(s.opener.openedOnceItHolds(s.list() + "\n" + s.list() + "\n"),
              s.list() + "\n" + s.list() + "\n");
    EXPECT_THAT(listAsOurReaderSees(s.list()), HasSubstr("\n1|a.xls|a.xls\n"));
}

}  // namespace
}  // namespace e2e
