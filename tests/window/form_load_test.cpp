// Start-up without a screen: what the window holds afterwards, how the
// argument becomes the working path, and how each way a run can end is told.

#include "window/form_load.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "support/recording_view.h"
#include "window/run_messages.h"
#include "window/startup_fakes.h"

namespace mokuji::window {
namespace {

using fake::nativePath;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class FormLoad : public ::testing::Test, protected fake::StartupWorld {
  protected:
    RunEnd load(const std::string& arguments) {
        StartupContext ctx = context(arguments);
        return Form_Load(window, ctx);
    }

    MainWindow window;
};

TEST_F(FormLoad, WithoutArgumentTheWindowIsSetUpAndLeftToTheUser) {
    window.g_mokuji_path = "left over";
    EXPECT_EQ(load(""), RunEnd::WaitForUser);
    EXPECT_EQ(centred, 1);
    EXPECT_THAT(view.captions, ElementsAre("tamuE1 EXCELのデータベース"));
    EXPECT_EQ(window.lbl_mokuji, "00_目次.xls");
    EXPECT_EQ(window.g_mokuji_path, "00_目次.xls");
    EXPECT_EQ(window.prop_name[0], "");
    EXPECT_EQ(window.prop_name[3], "作成者");
    EXPECT_TRUE(window.List1.Sorted());
    EXPECT_THAT(gathering.calledWith, IsEmpty());
    EXPECT_THAT(view.messages, IsEmpty());
    EXPECT_NE(ExitStatusOf(RunEnd::WaitForUser), 0);
}

TEST_F(FormLoad, TwoQuotesAloneAreNoArgument) {
    EXPECT_EQ(load("\"\""), RunEnd::WaitForUser);
    EXPECT_THAT(gathering.calledWith, IsEmpty());
}

// The working path each argument leads to, seen by the gathering.
struct ArgumentCase {
    std::string argument;
    std::string workingPath;
};

class ArgumentResolution : public FormLoad, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(ArgumentResolution, GathersFromTheFolderTheArgumentNames) {
    fs.addFolder(nativePath("/data/a b"));
    fs.addFile(nativePath("/opt/mokuji/bin/00_目次.xls"));
    fs.addFile(nativePath("rel/a.xls"));
    fs.addFolder("/home/user");
    fs.addFolder(nativePath("/"));
    load(GetParam().argument);
    EXPECT_THAT(gathering.calledWith, ElementsAre(GetParam().workingPath));
    EXPECT_EQ(window.g_mokuji_path, GetParam().workingPath);
}

INSTANTIATE_TEST_SUITE_P(Arguments, ArgumentResolution,
                         ::testing::Values(
                             // A folder gets the separator once, so that it is its own folder
                             // part; the program run on folders shows the rest.
                             ArgumentCase{nativePath("/data/a b/"), nativePath("/data/a b/")},
                             ArgumentCase{nativePath("/"), nativePath("/")},
#ifdef _WIN32
                             // A bare name lies in the program's folder, not the current one.
                             ArgumentCase{"00_目次.xls", nativePath("/opt/mokuji/bin/00_目次.xls")},
                             ArgumentCase{"\"00_目次.xls\"",
                                          nativePath("/opt/mokuji/bin/00_目次.xls")},
                             // A relative path with a separator is taken as it is.
                             ArgumentCase{nativePath("rel/a.xls"), nativePath("rel/a.xls")}
#else
                             ArgumentCase{"./", "/home/user/"}
#endif
                             ));

TEST_F(FormLoad, APathThatDoesNotExistIsNamedAsGivenAndAsLookedFor) {
    EXPECT_EQ(load("\"nowhere.xls\""), RunEnd::BadArgument);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0], HasSubstr("見つかりません"));
    EXPECT_THAT(view.messages[0], HasSubstr("\r\nnowhere.xls\r\n"));
#ifdef _WIN32
    EXPECT_THAT(view.messages[0], HasSubstr(nativePath("/opt/mokuji/bin/nowhere.xls")));
#else
    EXPECT_THAT(view.messages[0], HasSubstr("/home/user/nowhere.xls"));
#endif
    EXPECT_THAT(gathering.calledWith, IsEmpty());
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, view::kPointerDefault);
    EXPECT_THAT(shell.documents, IsEmpty());
}

TEST_F(FormLoad, AFolderThatCannotBeListedIsNamedAndTheWindowGivenBack) {
    fs.addFolder(nativePath("/data/locked"));
    StartupContext ctx{fs,
                       shell,
                       view,
                       {},
                       [](const run::GatherContext& g) -> run::GatherResult {
                           g.view.setEnabled(false);
                           throw os::FileSystemError("permission denied");
                       },
                       nativePath("/data/locked"),
                       {}};
    EXPECT_EQ(Form_Load(window, ctx), RunEnd::ReadFailed);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0], HasSubstr(nativePath("/data/locked/") + "（"));
    EXPECT_THAT(view.messages[0], HasSubstr("）\r\n（詳細: permission denied）\r\n"));
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, view::kPointerDefault);
    EXPECT_THAT(shell.documents, IsEmpty());
}

TEST_F(FormLoad, WithoutTheApplicationTheRunFailsButAnEarlierListIsStillOpened) {
    fs.addFolder(nativePath("/data/q"));
    fs.addFile(nativePath("/data/q/00_目次.xls"));
    gathering.names = {"b.xls", "A.xls"};
    EXPECT_EQ(load(nativePath("/data/q")), RunEnd::ListNotSaved);
    EXPECT_EQ(applications, 1);
    EXPECT_THAT(view.messages, ElementsAre(kNoApplicationMessage));
    EXPECT_EQ(view.captions.back(), "tamuE1 EXCELのデータベース");
    EXPECT_THAT(shell.documents, ElementsAre(std::pair<std::string, std::string>(
                                     nativePath("/data/q/00_目次.xls"), nativePath("/"))));
    EXPECT_NE(ExitStatusOf(RunEnd::ListNotSaved), 0);
}

}  // namespace
}  // namespace mokuji::window
