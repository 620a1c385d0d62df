// The console presentation of a run, the command line's pieces, and what
// becomes of a failure nothing else caught.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <new>
#include <sstream>

#include "console/console_run_view.h"
#include "console/console_start.h"
#include "support/recording_view.h"
#include "support/scripted_file_system.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "window/command_line.h"
#include "window/display_check.h"
#include "window/startup_fakes.h"
#include "window/untrapped_failure.h"

namespace mokuji {
namespace {

// To a file or a pipe nothing in a name can pass for a line of ours or
// turn the text around; the program run on folders shows the rest.
TEST(ConsoleRunView, ToAFileNoNamePassesForALineOrTurnsTheTextAround) {
    std::ostringstream out;
    console::ConsoleRunView view(out, 0, true);
    view.setCaption("mokuji - [a\nb.xls]");
    view.showMessage("a\rb\r\n");
    view.showMessage("\u202Egpj.xls \u2066x\u2069\u2028\u200F\r\n");
    EXPECT_EQ(out.str(),
              "caption: mokuji - [a\\x0Ab.xls]\n"
              "a\\x0Db\n"
              "\\u202Egpj.xls \\u2066x\\u2069\\u2028\\u200F\n");
}

TEST(ConsoleRunView, OnATerminalOneLineIsRedrawnNeverWiderThanTheTerminal) {
    std::ostringstream out;
    {
        console::ConsoleRunView view(out, 12, false, std::chrono::hours(1));
        view.setCaption("mokuji - ファイル一覧取得中");
        view.showProgress(1, 3, "a.xls");
        // While workbooks are read, progress alone is drawn, and not again
        // within the redraw interval but for the last workbook.
        view.setCaption("mokuji - [b.xls]");
        view.showProgress(2, 3, "b.xls");
        view.showMessage("読めません\r\n");
        view.showProgress(3, 3, "目次目次目次.xls");
        view.setCaption("mokuji");
        view.showSummary("書きました\r\n");
        EXPECT_EQ(view.caption(), "mokuji");
    }
    // Wide characters take two columns, a cut keeps whole ones, and blanks
    // cover what a longer line left.
    EXPECT_EQ(out.str(),
              "\rmokuji -..."
              "\r[1/3] a.xls"
              "\r           \r読めません\n"
              "\r[3/3] 目..."
              "\rmokuji     "
              "\r      \r書きました\n");
}

TEST(DisplayCheck, OnlyAPlatformThatShowsWindowsIsADisplay) {
    struct Case {
        const char* display;
        const char* wayland;
        const char* platform;
        bool shown;
    };
    for (const Case& c : {
             Case{":0", nullptr, nullptr, true},
             Case{nullptr, "wayland-0", "", true},
             Case{nullptr, nullptr, nullptr, false},
             Case{"", "", nullptr, false},
             Case{":0", nullptr, "offscreen", false},
             Case{":0", nullptr, "minimal", false},
             Case{nullptr, nullptr, "offscreen:fontengine=freetype;xcb", false},
             Case{nullptr, nullptr, "xcb", true},
         }) {
        EXPECT_EQ(window::DisplayAvailable(c.display, c.wayland, c.platform), c.shown)
            << (c.display ? c.display : "-") << " " << (c.platform ? c.platform : "-");
    }
    // A display that does not open ends on the minimal platform, which the
    // program takes for none.
    EXPECT_EQ(window::PlatformsToTry(nullptr), "xcb;wayland;minimal");
    EXPECT_EQ(window::PlatformsToTry("xcb"), "xcb;minimal");
    EXPECT_FALSE(window::ShowsWindows("minimal"));
    EXPECT_TRUE(window::ShowsWindows("xcb"));
}

// Options wherever they stand before "--", on Linux's split arguments and
// on Windows' one line; "-" prefixes an option only outside quotes. The
// program run with options shows the common cases on Linux.
TEST(CommandLine, OptionsAreTakenWhereverTheyStandAndThePathAsItIs) {
    using window::InformationRequest;
    // The advice for a name that looks like an option, as the platform's
    // shell writes a file in the current folder.
#ifdef _WIN32
    const std::string selfNamed = ".\\-x";
#else
    const std::string selfNamed = "./-x";
#endif
    struct Case {
        std::vector<std::string> args;  // one item: a Windows command line
        bool windows;
        std::string path;
        std::optional<InformationRequest> request = std::nullopt;
        std::string extensions = "";
        bool verbose = false;
        std::string refused = "";
    } cases[] = {
        {{"/x", "/無い", "/y"}, false, "/無い"},
        {{"-"}, false, "-"},
        {{"--bogus", "--help"},
         false,
         "",
         InformationRequest::Usage,
         "",
         false,
         "不明なオプションです: --bogus"},
        {{"-x", "/x"}, false, "/x", {}, "", false, selfNamed + " のように"},
        {{"--extensions xlsx C:\\回答 フォルダ"}, true, "C:\\回答 フォルダ", {}, "xlsx"},
        {{"\"C:\\a b\"  --verbose"}, true, "\"C:\\a b\"", {}, "", true},
        {{"C:\\a  --verbose b"}, true, "C:\\a b", {}, "", true},
        {{"C:\\--extensions xlsx"}, true, "C:\\--extensions xlsx"},
        {{"\"--help\""}, true, "\"--help\""},
        {{".\\-x"}, true, ".\\-x"},
        {{"--extensionsxlsx a"},
         true,
         "a",
         {},
         "",
         false,
         "不明なオプションです: --extensionsxlsx"},
    };
    const auto exists = [](const std::string& p) { return p == "/x" || p == "/y"; };
    for (const Case& c : cases) {
        const std::string shown = ::testing::PrintToString(c.args);
        const window::StartOptions o = c.windows ? window::ParseCommandLine(c.args[0])
                                                 : window::ParseArguments(c.args, exists);
        EXPECT_EQ(o.arguments, c.path) << shown;
        EXPECT_EQ(o.request, c.request) << shown;
        EXPECT_EQ(o.gathering.extensions.given, !c.extensions.empty()) << shown;
        EXPECT_EQ(o.gathering.extensions.value, c.extensions) << shown;
        EXPECT_EQ(o.verbose, c.verbose) << shown;
        if (c.refused.empty()) {
            EXPECT_EQ(o.usageError, "") << shown;
        } else {
            EXPECT_THAT(o.usageError, ::testing::HasSubstr(c.refused)) << shown;
        }
    }
}

TEST(CommandLine, SubfolderSwitchAndPatternsGatherWhereverTheyStand) {
    const auto none = [](const std::string&) { return true; };
    window::StartOptions o = window::ParseArguments(
        {"-r", "--exclude", "*旧*", "/x", "--include=*.xls", "--exclude=下書き/**"}, none);
    EXPECT_EQ(o.arguments, "/x");
    EXPECT_EQ(o.gathering.recursive, true);
    EXPECT_EQ(o.gathering.exclude, (std::vector<std::string>{"*旧*", "下書き/**"}));
    EXPECT_EQ(o.gathering.include, (std::vector<std::string>{"*.xls"}));
    EXPECT_EQ(o.usageError, "");

    o = window::ParseCommandLine("--recursive --no-recursive \"C:\\a b\" --exclude");
    EXPECT_EQ(o.gathering.recursive, false);
    EXPECT_EQ(o.arguments, "\"C:\\a b\"");
    EXPECT_NE(o.usageError.find("--exclude"), std::string::npos) << o.usageError;
    EXPECT_NE(window::ParseArguments({"--include=", "/x"}, none).usageError, "");
}

TEST(CommandLine, WindowsCommandLineLosesOnlyTheProgramName) {
    EXPECT_EQ(window::ArgumentsAfterProgramName(R"("C:\Program Files\mokuji.exe"  "D:\a b\")"),
              R"("D:\a b\")");
    EXPECT_EQ(window::ArgumentsAfterProgramName("mokuji.exe\tD:\\目次 "), "D:\\目次 ");
    EXPECT_EQ(window::ArgumentsAfterProgramName(R"("C:\x y\mokuji.exe"D:\a)"), R"(D:\a)");
    EXPECT_EQ(window::ArgumentsAfterProgramName("mokuji.exe"), "");
    EXPECT_EQ(window::ArgumentsAfterProgramName("mokuji.exe   "), "");
    EXPECT_EQ(window::ArgumentsAfterProgramName(R"("C:\mokuji.exe)"), "");
    EXPECT_EQ(window::ArgumentsAfterProgramName(""), "");
}

TEST(CommandLine, AQuoteDropsTheFirstAndTheWholeLastCharacter) {
    EXPECT_EQ(window::Unquoted("\"/data/a b\""), "/data/a b");
    EXPECT_EQ(window::Unquoted("/data/\"a\""), "/data/\"a\"");
    EXPECT_EQ(window::Unquoted("\"/data/目次"), "/data/目");
    EXPECT_EQ(window::Unquoted("\"x"), "");
    EXPECT_EQ(window::Unquoted("\"目"), "");
    EXPECT_EQ(window::Unquoted("\""), std::nullopt);
    EXPECT_EQ(window::Unquoted(""), "");
}

TEST(CommandLine, SeveralFilesHandedOverAreWordsQuotedWhereTheyHaveBlanks) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(window::WordsOf("\"C:\\ア 1\\a.xls\" C:\\b.xls\t\"C:\\c d\""),
              (Words{"C:\\ア 1\\a.xls", "C:\\b.xls", "C:\\c d"}));
    EXPECT_EQ(window::WordsOf("  one  "), Words{"one"});
    EXPECT_EQ(window::WordsOf("\"open"), Words{"open"});
    EXPECT_EQ(window::WordsOf(""), Words{});
}

TEST(UntrappedFailure, IsShownWithItsNumberAndTheWindowGivenBack) {
    fake::RecordingView view;
    view.setEnabled(false);
    view.setMousePointer(view::kPointerHourglass);
    EXPECT_FALSE(window::RunTrapped(
        [] { throw automation::AutomationError(1004, "範囲が見つかりません"); }, view));
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, view::kPointerDefault);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0],
                ::testing::HasSubstr("エラー番号 1004: 範囲が見つかりません\r\n"));
    EXPECT_TRUE(window::RunTrapped([] {}, view));
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST(UntrappedFailure, EndsAnUnattendedRunWithItsOwnStatus) {
    fake::TempFolder dir;
    fake::makeSource(dir.file("a.xls"), {{"件名", 2, 2, automation::Variant("x")}});
    fake::ScriptedFileSystem fs;
    fake::RecordingShell shell;
    std::ostringstream out;
    const automation::ApplicationFactory exhausted =
        []() -> std::unique_ptr<automation::Application> { throw std::bad_alloc(); };
    EXPECT_EQ(console::RunWithoutWindow(fs, shell, exhausted, dir.file(""), out),
              window::kUntrappedFailureStatus);
    EXPECT_THAT(out.str(), ::testing::HasSubstr("メモリが足りません"));
}

}  // namespace
}  // namespace mokuji
