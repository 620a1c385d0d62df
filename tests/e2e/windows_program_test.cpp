// The Windows program, run under Wine as a user would start it with a path:
// the list it writes and updates must read the same to our reader and to
// xlrd as the Linux program's, its command line must be taken as Windows
// hands it over, and the finished list must reach the program Windows opens
// workbooks with.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "e2e/e2e_support.h"
#include "support/impostor_files.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Wine shows the Linux root as drive Z:, and on Windows only "\" separates.
std::string windowsPath(const std::string& linuxPath) {
    std::string path = "Z:" + linuxPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

class WindowsProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        program = environment("MOKUJI_WINDOWS_PROGRAM");
        if (program.empty()) GTEST_SKIP() << "MOKUJI_WINDOWS_PROGRAM names no Windows build";
        for (const char* candidate : {"/usr/bin/wine", "/usr/local/bin/wine"}) {
            if (std::filesystem::exists(candidate)) wine = candidate;
        }
        ASSERT_FALSE(wine.empty()) << "wine is not installed";
        folder = dir.file("回答");
        std::filesystem::create_directory(u8path(folder));
    }

    std::string at(const std::string& name) const { return folder + "/" + name; }

    // Standard error with Windows' line ends made Linux ones. Without a
    // display the program reports there; onScreen keeps the test's display,
    // where it shows its window instead, disabled while it works.
    // env adds to the program's environment (a Unix locale for Wine to
    // take its language from).
    ProgramRun run(const std::vector<std::string>& args, bool onScreen = false,
                   std::map<std::string, std::string> env = {}) {
        std::vector<std::string> line = {program};
        line.insert(line.end(), args.begin(), args.end());
        // Wine's Japanese unless a test asks for another locale.
        env.insert({{"MOKUJI_OPENED_RECORD", windowsPath(opened)},
                    {"WINEDEBUG", "-all"},
                    {"LANG", "ja_JP.UTF-8"},
                    {"LC_ALL", "ja_JP.UTF-8"}});
        if (onScreen) env["DISPLAY"] = environment("DISPLAY");
        ProgramRun r = runProgram(wine, line, env, dir.path().string(), std::chrono::seconds(120));
        std::erase(r.err, '\r');
        return r;
    }

    // Workbooks open with the stand-in opener in this prefix, as they would
    // with the spreadsheet program on a desktop.
    void registerOpener() {
        const std::string opener = environment("MOKUJI_WINDOWS_OPENER");
        ASSERT_FALSE(opener.empty()) << "MOKUJI_WINDOWS_OPENER names no opener";
        // Wine looks types up in the machine's classes only.
        const std::string type = "HKCR\\mokuji.e2e.workbook";
        const std::string command = "\"" + windowsPath(opener) + "\" \"%1\"";
        for (const std::vector<std::string>& add :
             {std::vector<std::string>{"reg", "add", "HKCR\\.xls", "/ve", "/d",
                                       "mokuji.e2e.workbook", "/f"},
              std::vector<std::string>{"reg", "add", type + "\\shell\\Open\\command", "/ve", "/d",
                                       command, "/f"}}) {
            ProgramRun r = runProgram(wine, add, {{"WINEDEBUG", "-all"}}, dir.path().string());
            ASSERT_EQ(r.status, 0) << r.err;
        }
    }

    fake::TempFolder dir;
    // Its record is where the stand-in opener writes.
    RecordingOpener opener{dir};
    std::string opened = dir.file("opened.txt");
    std::string program;
    std::string wine;
    std::string folder;
};

const char* kHeader =
    "No.|FILE名|件名|担当者|P_作成者|P_アプリケーション名\n"
    "||2|2|30|30\n"
    "||2|3|2|4\n";

TEST_F(WindowsProgram, WritesThenUpdatesTheListAndOpensIt) {
    registerOpener();
    makeSource(at("a.xls"), {{2, 2, "点検", "件名"},
                             {2, 3, "鈴木", "担当者"},
                             {30, 2, "", "P_作成者"},
                             {30, 4, "", "P_アプリケーション名"}});
    makeSource(at("b.xls"), {{2, 2, "報告", "件名"}, {2, 3, "山田"}});
    std::filesystem::copy_file(fake::testData("fixtures/names_and_values.xls"),
                               u8path(at("c.xls")));
    // Neither is gathered: Wine marks names with a leading dot hidden, and a
    // subfolder is not searched.
    makeSource(at(".hidden.xls"), {{2, 2, "隠し", "件名"}});
    std::filesystem::create_directory(u8path(at("sub")));
    makeSource(at("sub/d.xls"), {{2, 2, "下の階", "件名"}});

    // With a display, as a user's shortcut starts it: the window shows the
    // run, and nothing waits for a click.
    const bool onScreen = !environment("DISPLAY").empty();
    ProgramRun first = run({windowsPath(folder)}, onScreen);
    ASSERT_FALSE(first.timedOut);
    EXPECT_EQ(first.status, 0) << first.err;
    const std::string list = at("00_目次.xls");
    // The progress went to the window's caption; to a pipe, unasked, the
    // summary alone.
    EXPECT_THAT(first.err, Not(HasSubstr("caption:")));
    if (!onScreen) {
        EXPECT_THAT(first.err,
                    HasSubstr("目次ファイルに3行を書き込みました（読めなかったブック0件）: " +
                              windowsPath(list) + "\n"));
        EXPECT_THAT(first.err, Not(HasSubstr("隠し")));
    }
    EXPECT_EQ(opener.opened(), windowsPath(list) + "\n");
    expectBothReadersAgree(list, std::string("sheet 目次\n") + kHeader +
                                     "1|a.xls|点検|鈴木||mokuji\n"
                                     "2|b.xls|報告|山田||mokuji\n"
                                     "3|c.xls||表紙の担当|山田 太郎|\n");

    // The list named in other letters, as Windows users type: updated under
    // its own name, keeping its columns.
    makeSource(at("b2.xls"), {{2, 2, "追加", "件名"}, {2, 3, "佐藤", "担当者"}});
    ProgramRun second = run({"--verbose", windowsPath(at("00_目次.XLS"))});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_THAT(second.err, HasSubstr("caption: mokuji - 目次ファイル更新開始\n"));
    EXPECT_THAT(second.err,
                HasSubstr("目次ファイルに4行を書き込みました（読めなかったブック0件）: " +
                          windowsPath(list) + "\n"));
    EXPECT_THAT(namesIn(folder), ::testing::Contains("00_目次.xls"));
    expectBothReadersAgree(list, std::string("sheet 目次\n") + kHeader +
                                     "1|a.xls|点検|鈴木||mokuji\n"
                                     "2|b.xls|報告|山田||mokuji\n"
                                     "3|b2.xls|追加|佐藤||mokuji\n"
                                     "4|c.xls||表紙の担当|山田 太郎|\n");
    // Asked to, it searches the subfolder too, and a pattern leaves a
    // workbook out whatever the letter case, as Windows names files.
    ProgramRun third = run({"-r", "--exclude", "B2.XLS", windowsPath(folder)});
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_THAT(third.err, HasSubstr("（読めなかったブック0件、除外したブック1件）"));
    expectBothReadersAgree(list, std::string("sheet 目次\n") + kHeader +
                                     "1|a.xls|点検|鈴木||mokuji\n"
                                     "2|b.xls|報告|山田||mokuji\n"
                                     "3|c.xls||表紙の担当|山田 太郎|\n"
                                     "4|sub/d.xls|下の階|||mokuji\n");

    // The list as .xlsx when asked for: made beside the .xls one, which is
    // named and left alone, reading cell for cell as it; then updated by a
    // run that finds it alone.
    const std::string xlsx = at("00_目次.xlsx");
    ProgramRun fourth = run({"-r", "--exclude", "B2.XLS", "--list", "xlsx", windowsPath(folder)});
    EXPECT_EQ(fourth.status, 0) << fourth.err;
    EXPECT_THAT(fourth.err, HasSubstr("00_目次.xls もありますが、00_目次.xlsx の方を使いました"));
    if (fake::xlrdAvailable()) {
        EXPECT_EQ(fake::pythonSays(list, "import runpy, sys\nsys.argv = ['c', sys.argv[1], '" +
                                             xlsx + "']\nrunpy.run_path('" +
                                             fake::testData("../support/compare_list_formats.py") +
                                             "', run_name='__main__')"),
                  "same\n");
    }
    std::filesystem::remove(u8path(list));
    ProgramRun fifth = run({windowsPath(folder)});
    EXPECT_EQ(fifth.status, 0) << fifth.err;
    EXPECT_THAT(fifth.err,
                HasSubstr("目次ファイルに4行を書き込みました（読めなかったブック0件）: " +
                          windowsPath(xlsx) + "\n"));
}

TEST_F(WindowsProgram, TakesItsCommandLineAsWindowsHandsItOver) {
    const std::string spaced = dir.file("アンケート 2024");
    std::filesystem::create_directory(u8path(spaced));
    makeSource(spaced + "/a.xls", {{2, 2, "一", "件名"}});

    // Wine quotes an argument with a blank; the program drops the quotes.
    ProgramRun quoted = run({windowsPath(spaced)});
    EXPECT_EQ(quoted.status, 0) << quoted.err;
    EXPECT_TRUE(std::filesystem::exists(u8path(spaced + "/00_目次.xls")));

    // Unquoted, the words are one path all the same: the line is not split.
    std::filesystem::remove(u8path(spaced + "/00_目次.xls"));
    ProgramRun words = run({windowsPath(dir.file("アンケート")), "2024"});
    EXPECT_EQ(words.status, 0) << words.err;
    EXPECT_TRUE(std::filesystem::exists(u8path(spaced + "/00_目次.xls")));

    ProgramRun missing = run({windowsPath(folder) + "\\無い"});
    EXPECT_NE(missing.status, 0);
    EXPECT_THAT(missing.err, HasSubstr("無い"));

    // Several folders dropped on its shortcut: the last one is listed.
    std::filesystem::remove(u8path(spaced + "/00_目次.xls"));
    makeSource(folder + "/b.xls", {{2, 2, "二", "件名"}});
    ProgramRun several = run({windowsPath(folder), windowsPath(spaced)});
    EXPECT_EQ(several.status, 0) << several.err;
    EXPECT_TRUE(std::filesystem::exists(u8path(spaced + "/00_目次.xls")));
    EXPECT_FALSE(std::filesystem::exists(u8path(folder + "/00_目次.xls")));

    // Asked from a prompt, the program answers on standard output.
    ProgramRun help = run({"--help"});
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_THAT(help.out, HasSubstr("使い方: mokuji パス\n"));
    EXPECT_THAT(help.out, HasSubstr(".\\--help"));
}

TEST_F(WindowsProgram, NamesAWorkbookItCannotReadAndListsTheRest) {
    makeSource(at("a.xls"), {{2, 2, "点検", "件名"}});
    std::ofstream(u8path(at("b.xls")), std::ios::binary)
        << fake::zipOf({{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.xml", "<workbook/>"}});

    // A zip-based questionnaire saved under an .xls name is read as such.
    std::filesystem::copy_file(
        fake::testData("../../examples/questionnaires-xlsx/アンケート回答_00001.xlsx"),
        u8path(at("c.xls")));

    ProgramRun r = run({windowsPath(folder)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("b.xls（ファイルが壊れています）（中身がxlsx形式のブックです）"));
    expectBothReadersAgree(at("00_目次.xls"),
                           "sheet 目次\nNo.|FILE名|件名\n||2\n||2\n1|a.xls|点検\n"
                           "2|c.xls|2024年度 職場環境アンケート\n");
}

// Wine takes the language of the user's interface from the Unix locale,
// and gives the C locale's English; C.UTF-8 is there on every machine, where
// en_US.UTF-8 may not be, and without it Wine reads no UTF-8 arguments.
TEST_F(WindowsProgram, SpeaksEnglishWhereTheUserInterfaceDoesAndKeepsTheList) {
    makeSource(at("a.xls"), {{2, 2, "点検", "件名"}});
    const std::map<std::string, std::string> english = {{"LANG", "C.UTF-8"}, {"LC_ALL", "C.UTF-8"}};
    ProgramRun r = run({windowsPath(folder)}, false, english);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("Rows written to the list file: 1 (workbooks not read: 0): " +
                                 windowsPath(at("00_目次.xls")) + "\n"));
    EXPECT_THAT(run({"--help"}, false, english).out, HasSubstr("Usage: mokuji PATH\n"));
    expectBothReadersAgree(at("00_目次.xls"),
                           "sheet 目次\nNo.|FILE名|件名\n||2\n||2\n1|a.xls|点検\n");
}

}  // namespace
}  // namespace e2e
