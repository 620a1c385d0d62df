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
#include "e2e/run_program.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class CommandLine : public ::testing::Test {
  protected:
    ProgramRun run(const std::vector<std::string>& args,
                   const std::string& program = MOKUJI_BINARY) {
        return runProgram(program, args, {{"MOKUJI_OPENER", opener.program()}}, elsewhere.string());
    }

    std::string source(const std::string& folder, const std::string& name) {
        std::string path = folder + "/" + name;
        makeSource(path, {{2, 2, name, "件名"}});
        return path;
    }

    fake::TempFolder dir;
    RecordingOpener opener{dir};
    std::filesystem::path elsewhere = dir.path();
};

TEST_F(CommandLine, ARelativePathStartsInTheCurrentFolderNotTheProgramsOwn) {
    // The program copied into a folder of workbooks, started from another.
    std::string home = dir.file("tool");
    std::filesystem::create_directory(home);
    std::string program = home + "/mokuji";
    std::filesystem::copy_file(MOKUJI_BINARY, program);
    source(home, "a.xls");
    std::string answers = dir.file("回答");
    std::filesystem::create_directory(u8path(answers));
    source(answers, "b.xls");
    std::filesystem::create_directory(u8path(dir.file("回答/sub")));

    for (const auto& [argument, from] : std::vector<std::pair<std::string, std::string>>{
             {".", answers}, {"回答", dir.path().string()}, {"../b.xls", answers + "/sub"}}) {
        ProgramRun r = runProgram(program, {argument}, {{"MOKUJI_OPENER", opener.program()}}, from);
        EXPECT_EQ(r.status, 0) << argument << r.err;
    }
    const std::string list = answers + "/00_目次.xls\n";
    EXPECT_EQ(opener.openedOnceItHolds(list + list + list), list + list + list);
    EXPECT_FALSE(std::filesystem::exists(u8path(home + "/00_目次.xls")));
    EXPECT_THAT(listAsOurReaderSees(answers + "/00_目次.xls"), HasSubstr("\n1|b.xls|b.xls\n"));
}

TEST_F(CommandLine, AListInAFolderNamedLikeAProgramGoesToTheOpener) {
    for (const std::string name : {"x.exe", "a.exe.d", "2024.exercises"}) {
        const std::string folder = dir.file(name);
        std::filesystem::create_directory(folder);
        source(folder, "a.xls");
        ProgramRun r = run({folder});
        EXPECT_EQ(r.status, 0) << name << r.err;
        EXPECT_THAT(opener.openedOnceItHolds(folder + "/"), HasSubstr(folder + "/00_目次.xls\n"))
            << name;
    }
}

TEST_F(CommandLine, AQuotedPathWithBlanksIsOnePath) {
    std::string folder = dir.file("アンケート 2024");
    std::filesystem::create_directory(u8path(folder));
    source(folder, "a.xls");

    ProgramRun quoted = run({"\"" + folder + "\""});
    EXPECT_EQ(quoted.status, 0) << quoted.err;
    EXPECT_EQ(opener.opened(), folder + "/00_目次.xls\n");

    // Arguments arrive split and stay so: one with a blank is one path, and
    // two are never joined into one.
    std::filesystem::create_directory(u8path(dir.file("x")));
    std::filesystem::create_directory(u8path(dir.file("y")));
    source(dir.file("y"), "a.xls");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{dir.file("x y")},
          std::vector<std::string>{dir.file("アンケート"), "2024/a.xls"}}) {
        ProgramRun split = run(args);
        EXPECT_EQ(split.status, 64) << split.err;
        EXPECT_THAT(split.err, HasSubstr("見つかりません。\n\n" + args[0] + "\n"));
    }
    EXPECT_FALSE(std::filesystem::exists(u8path(dir.file("y/00_目次.xls"))));
}

TEST_F(CommandLine, SeveralFilesFromALauncherRunTheFolderOfTheLast) {
    std::string one = dir.file("一");
    std::string two = dir.file("二");
    std::filesystem::create_directory(u8path(one));
    std::filesystem::create_directory(u8path(two));
    ProgramRun r = run({source(one, "a.xls"), source(two, "b.xls")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(u8path(two + "/00_目次.xls")));
    EXPECT_FALSE(std::filesystem::exists(u8path(one + "/00_目次.xls")));
}

TEST_F(CommandLine, AListTheDesktopOpensWithTheProgramItselfIsNotRunAgain) {
    std::string folder = dir.file("回答");
    std::filesystem::create_directory(u8path(folder));
    source(folder, "a.xls");
    // The desktop's program for workbooks is mokuji: it gets the list. Only
    // the first such start runs, should the chain not stop by itself.
    const std::string again = dir.file("again");
    const std::string desktop = dir.write(
        "desktop.sh", "#!/bin/sh\nmkdir '" + again + "' || exit 0\n'" MOKUJI_BINARY "' \"$1\" 2>'" +
                          again + "/err'\necho $? >'" + again + "/status'\n");
    std::filesystem::permissions(desktop, std::filesystem::perms::owner_all);

    ProgramRun r =
        runProgram(MOKUJI_BINARY, {folder}, {{"MOKUJI_OPENER", desktop}}, elsewhere.string());
    EXPECT_EQ(r.status, 0) << r.err;
    const auto contents = [](const std::string& path) {
        std::ifstream in(u8path(path), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    std::string status;
    for (int i = 0; i < 500 && status.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        status = contents(again + "/status");
    }
    EXPECT_EQ(status, "64\n");
    EXPECT_THAT(contents(again + "/err"), HasSubstr("このプログラム自身が選ばれています"));
    EXPECT_THAT(contents(again + "/err"), HasSubstr(folder + "/00_目次.xls"));
}

TEST_F(CommandLine, APathThatDoesNotExistIsNamedAndNothingIsWritten) {
    const std::string missing = dir.file("どこにもない/a.xls");
    ProgramRun r = run({missing});
    EXPECT_GT(r.status, 0);
    EXPECT_THAT(r.err, HasSubstr("見つかりません"));
    EXPECT_THAT(r.err, HasSubstr(missing + "\n"));
    EXPECT_THAT(r.err, ::testing::Not(HasSubstr("\r")));
    EXPECT_THAT(opener.opened(false), IsEmpty());
}

TEST_F(CommandLine, AFolderWithoutWorkbooksIsNamedAndNothingIsWritten) {
    std::string folder = dir.file("空");
    std::filesystem::create_directory(u8path(folder));
    dir.write("空/a.ods", "");
    ProgramRun r = run({folder});
    EXPECT_GT(r.status, 0);
    EXPECT_THAT(r.err,
                HasSubstr("以下のフォルダにはEXCELのシートがありません。\n\n" + folder + "/\n"));
    EXPECT_THAT(r.err, HasSubstr("\na.ods（ods形式（OpenDocument）"));
    EXPECT_FALSE(std::filesystem::exists(u8path(folder + "/00_目次.xls")));
    EXPECT_THAT(opener.opened(false), IsEmpty());
}

TEST_F(CommandLine, ADamagedListFileIsNamedAndLeftAsItWas) {
    std::string folder = dir.path().string();
    source(folder, "a.xls");
    const std::string damaged = "this is no workbook";
    dir.write("00_目次.xls", damaged);
    ProgramRun r = run({folder});
    EXPECT_GT(r.status, 0);
    EXPECT_THAT(r.err, HasSubstr(dir.file("00_目次.xls") + "（"));
    std::ifstream in(u8path(dir.file("00_目次.xls")), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), damaged);
    EXPECT_THAT(opener.opened(false), IsEmpty());
}

TEST_F(CommandLine, WithoutAUsablePathTheProgramSaysHowToStartIt) {
    ProgramRun none = run({});
    EXPECT_GT(none.status, 0);
    EXPECT_THAT(none.err, HasSubstr("使い方: mokuji"));

    ProgramRun quote = run({"\""});
    EXPECT_GT(quote.status, 0);
    EXPECT_THAT(quote.err, HasSubstr("\n\n\"\n"));
    EXPECT_THAT(opener.opened(false), IsEmpty());
}

// Options as users of command-line tools write them; a fault in them is a
// usage error that names the option, with nothing run.
TEST_F(CommandLine, OptionsAnswerOrRefuseAsCommandLineToolsDo) {
    std::filesystem::create_directory(dir.file("--help"));
    source(dir.file("--help"), "a.xls");
    const std::string folder = dir.file("--help");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err;  // what each must hold; "" for nothing at all
    } cases[] = {
        {{"--help"}, 0, "使い方: mokuji パス\n", ""},
        {{"-h", folder}, 0, "  --verbose", ""},
        {{folder, "--help"}, 0, "終了ステータス:", ""},
        {{"--version"}, 0, "mokuji " MOKUJI_VERSION_TEXT "\n", ""},
        {{"-V"}, 0, "mokuji " MOKUJI_VERSION_TEXT "\n", ""},
        {{"--verbos", folder}, 64, "", "不明なオプションです: --verbos\n"},
        {{"-x"}, 64, "", "使い方は mokuji --help で表示します。\n"},
        {{folder, "--extensions"}, 64, "", "--extensions の後に拡張子を指定してください"},
        {{"--extensions=xls", "--extensions", "xlsx", folder},
         64,
         "",
         "--extensions は一度だけ指定してください。\n"},
        {{"--extensions", "*.xls", folder}, 64, "", "--extensions *.xls："},
    };
    const auto holds = [](const std::string& text, const std::string& part) {
        return part.empty() ? text.empty() : text.find(part) != std::string::npos;
    };
    for (const auto& c : cases) {
        const std::string shown = ::testing::PrintToString(c.args);
        ProgramRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << shown << r.err;
        EXPECT_TRUE(holds(r.out, c.out)) << shown << r.out;
        EXPECT_TRUE(holds(r.err, c.err)) << shown << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(u8path(folder + "/00_目次.xls")));

    // A folder named like an option is reached as a path or after "--",
    // and after "--" everything is a path.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"./--help"}, std::vector<std::string>{"--", "--help"},
          std::vector<std::string>{"--extensions", "xls,xlsx", "--", "--help"}}) {
        ProgramRun r = run(args);
        EXPECT_EQ(r.status, 0) << ::testing::PrintToString(args) << r.err;
        EXPECT_THAT(r.out, IsEmpty());
    }
    EXPECT_TRUE(std::filesystem::exists(u8path(folder + "/00_目次.xls")));
}

// To a file or a pipe (cron, a log): each workbook skipped with why, then
// the summary with the list's path; the captions only when asked for.
TEST_F(CommandLine, ToAFileTheSkippedWorkbooksAndTheSummaryCaptionsOnlyWhenVerbose) {
    std::string folder = dir.file("回答");
    std::filesystem::create_directory(u8path(folder));
    for (const char* name : {"a.xls", "b.xls"}) source(folder, name);
    std::ofstream(u8path(folder + "/c.xls")) << "not a workbook";
    const std::string summary =
        "目次ファイルに2行を書き込みました（読めなかったブック1件）: " + folder + "/00_目次.xls\n";
    const std::string skipped = "\nc.xls（";

    ProgramRun quiet = run({folder});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_THAT(quiet.err, Not(HasSubstr("caption:")));
    EXPECT_THAT(quiet.err, HasSubstr(skipped));
    EXPECT_THAT(quiet.err, ::testing::EndsWith(summary));

    ProgramRun verbose = run({folder, "--verbose"});
    EXPECT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_THAT(verbose.err, HasSubstr("caption: mokuji - 目次ファイル更新開始\n"));
    EXPECT_THAT(verbose.err, HasSubstr("caption: mokuji - [b.xls]\n"));
    EXPECT_THAT(verbose.err, HasSubstr(skipped));
    EXPECT_THAT(verbose.err, HasSubstr(summary));
}

TEST_F(CommandLine, OnATerminalProgressIsOneLineRedrawnAndASummaryEndsIt) {
    std::string folder = dir.file("回答");
    std::filesystem::create_directory(u8path(folder));
    for (const char* name : {"a.xls", "b.xls", "c.xls"}) source(folder, name);
    std::ofstream(u8path(folder + "/d.xls")) << "not a workbook";

    ProgramRun r = runOnTerminal(MOKUJI_BINARY, {folder}, {{"MOKUJI_OPENER", opener.program()}},
                                 elsewhere.string(), 40);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, ::testing::Not(HasSubstr("caption:")));
    EXPECT_THAT(r.err, HasSubstr("\r[1/4] a.xls"));
    EXPECT_THAT(r.err, HasSubstr("\r[4/4] d.xls"));
    EXPECT_THAT(r.err, HasSubstr("d.xls"));
    // The terminal turns each newline into CR LF.
    EXPECT_THAT(r.err, HasSubstr("目次ファイルに3行を書き込みました（読めなかったブック1件）: " +
                                 folder + "/00_目次.xls\r\n"));
    // No line drawn in place is as wide as the terminal, or it would wrap.
    std::size_t longest = 0;
    for (std::size_t from = 0; from < r.err.size();) {
        std::size_t end = r.err.find_first_of("\r\n", from);
        if (end == std::string::npos) end = r.err.size();
        if (r.err.compare(from, 1, "[") == 0) longest = std::max(longest, end - from);
        from = end + 1;
    }
    EXPECT_LT(longest, 40u);
}

TEST_F(CommandLine, ADisplayThatCannotBeShownToAnybodyIsNone) {
    std::string folder = dir.file("窓");
    std::filesystem::create_directory(u8path(folder));
    source(folder, "a.xls");
    std::string empty = dir.file("空");
    std::filesystem::create_directory(u8path(empty));
    fake::TempFolder runtime;
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    const std::string opened = opener.program();
    auto withEnv = [&](const std::string& name, const std::string& value, const std::string& at) {
        return runProgram(MOKUJI_BINARY, {at},
                          {{"MOKUJI_OPENER", opened},
                           {name, value},
                           {"XDG_RUNTIME_DIR", runtime.path().string()}},
                          elsewhere.string(), std::chrono::seconds(20));
    };

    // A display named but not there (a stale forwarding, cron): the run
    // works on the console.
    int absent = 97;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(absent))) ++absent;
    ProgramRun stale = withEnv("DISPLAY", ":" + std::to_string(absent), folder);
    EXPECT_FALSE(stale.timedOut);
    EXPECT_EQ(stale.status, 0) << stale.err;
    EXPECT_THAT(stale.err, HasSubstr("目次ファイルに1行を書き込みました"));
    EXPECT_EQ(opener.opened(), folder + "/00_目次.xls\n");

    // Offscreen nobody sees the message box, so nobody would close it.
    ProgramRun offscreen = withEnv("QT_QPA_PLATFORM", "offscreen", empty);
    EXPECT_FALSE(offscreen.timedOut);
    EXPECT_GT(offscreen.status, 0);
    EXPECT_THAT(offscreen.err, HasSubstr("以下のフォルダにはEXCELのシートがありません。"));
}

TEST_F(CommandLine, WithADisplayTheWindowShowsTheRunAndTheProgramEnds) {
    const auto module = std::filesystem::path(MOKUJI_BINARY).parent_path() / "mokuji-desktop.so";
    if (!std::filesystem::exists(module)) GTEST_SKIP() << "built without the window";
    if (!std::filesystem::exists("/usr/bin/xvfb-run")) GTEST_SKIP() << "no X server to show it";
    std::string folder = dir.file("窓");
    std::filesystem::create_directory(u8path(folder));
    source(folder, "a.xls");
    fake::TempFolder runtime;
    std::filesystem::permissions(runtime.path(), std::filesystem::perms::owner_all);
    const std::map<std::string, std::string> env = {{"MOKUJI_OPENER", opener.program()},
                                                    {"XDG_RUNTIME_DIR", runtime.path().string()}};
    ProgramRun r =
        runProgram("/usr/bin/xvfb-run", {"-a", MOKUJI_BINARY, folder}, env, elsewhere.string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(r.timedOut);
    // The window, not the console, showed the progress.
    EXPECT_THAT(r.err, ::testing::Not(HasSubstr("caption:")));
    EXPECT_EQ(opener.opened(), folder + "/00_目次.xls\n");
    EXPECT_THAT(listAsOurReaderSees(folder + "/00_目次.xls"), HasSubstr("\n1|a.xls|a.xls\n"));
}

}  // namespace
}  // namespace e2e
