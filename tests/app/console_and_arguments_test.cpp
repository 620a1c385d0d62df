// The console presentation of a run, and the command line's pieces.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "app/command_line.h"
#include "platform/console_run_view.h"

namespace mokuji {
namespace {

TEST(ConsoleRunView, CaptionsAreLinesAndMessagesLoseTheirCarriageReturns) {
    std::ostringstream out;
    platform::ConsoleRunView view(out);
    view.setCaption("mokuji - [a.xls]");
    view.setEnabled(false);
    view.setMousePointer(platform::kPointerHourglass);
    view.doEvents();
    view.showMessage("以下のフォルダにはEXCELのシートがありません。\r\n\r\n/data/");
    view.showMessage("a\rb\r\n");
    EXPECT_EQ(view.caption(), "mokuji - [a.xls]");
    EXPECT_EQ(out.str(),
              "caption: mokuji - [a.xls]\n"
              "以下のフォルダにはEXCELのシートがありません。\n\n/data/\n"
              "a\rb\n");
}

TEST(CommandLine, ArgumentsAreJoinedByOneBlank) {
    const char* argv[] = {"mokuji", "/data/a", "b", "", "c"};
    EXPECT_EQ(app::JoinArguments(5, argv), "/data/a b  c");
    EXPECT_EQ(app::JoinArguments(1, argv), "");
}

TEST(CommandLine, WindowsCommandLineLosesOnlyTheProgramName) {
    EXPECT_EQ(app::ArgumentsAfterProgramName(R"("C:\Program Files\mokuji.exe"  "D:\a b\")"),
              R"("D:\a b\")");
    EXPECT_EQ(app::ArgumentsAfterProgramName("mokuji.exe\tD:\\目次 "), "D:\\目次 ");
    EXPECT_EQ(app::ArgumentsAfterProgramName(R"("C:\x y\mokuji.exe"D:\a)"), R"(D:\a)");
    EXPECT_EQ(app::ArgumentsAfterProgramName("mokuji.exe"), "");
    EXPECT_EQ(app::ArgumentsAfterProgramName("mokuji.exe   "), "");
    EXPECT_EQ(app::ArgumentsAfterProgramName(R"("C:\mokuji.exe)"), "");
    EXPECT_EQ(app::ArgumentsAfterProgramName(""), "");
}

TEST(CommandLine, AQuoteDropsTheFirstAndTheWholeLastCharacter) {
    EXPECT_EQ(app::Unquoted("\"/data/a b\""), "/data/a b");
    EXPECT_EQ(app::Unquoted("/data/\"a\""), "/data/\"a\"");
    EXPECT_EQ(app::Unquoted("\"/data/目次"), "/data/目");
    EXPECT_EQ(app::Unquoted("\"x"), "");
    EXPECT_EQ(app::Unquoted("\"目"), "");
    EXPECT_EQ(app::Unquoted("\""), std::nullopt);
    EXPECT_EQ(app::Unquoted(""), "");
}

}  // namespace
}  // namespace mokuji
