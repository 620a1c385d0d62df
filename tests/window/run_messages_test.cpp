// What the user is told once a run is over, in the order the messages come;
// the program run on bad files and odd values shows the other messages.

#include "window/run_messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mokuji::window {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(RunMessages, EachThingTheRunCouldNotDoIsNamedOnce) {
    run::RunOutcome out;
    out.applicationStarted = true;
    EXPECT_THAT(RunOutcomeMessages(out), IsEmpty());

    out.skipped = {
        {"a.xls", automation::OpenFailure::Encrypted, "", {}},
        {"c.xls", automation::OpenFailure::Damaged, "", automation::FileContent::ZipWorkbook},
        {"c.XLSX", automation::OpenFailure::Damaged, "", automation::FileContent::ZipWorkbook}};
    out.list.rowsNotWritten = 2;
    out.list.rowsFailed = {"c.xls"};
    out.list.valuesCut = {{"d.xls", "感想"}};
    out.list.namesNotAdded = {"P_マルチメディア クリップの数"};
    EXPECT_THAT(
        RunOutcomeMessages(out),
        ElementsAre(
            "以下のブックは開けなかったため、目次に載せていません。\r\n"
            "a.xls（パスワードで保護されています）\r\n"
            "c.xls（ファイルが壊れています）（中身がxlsx形式のブックです）\r\n"
            "c.XLSX（ファイルが壊れています）\r\n",
            "目次のシートに入りきらなかったため、最後の2件のブックは目次に載せていません。\r\n",
            "以下のブックの値を目次のセルに書き込めなかったため、その行は欠けています。\r\n"
            "c.xls\r\n",
            "以下の値はセルに入りきらないため、先頭の32767文字だけを目次に載せました。\r\n"
            "d.xls（感想）\r\n",
            "以下の列名は目次ファイルに名前として定義できませんでした。"
            "列は見出しの文字で次回も使われます。\r\n"
            "P_マルチメディア クリップの数\r\n"));
}

TEST(RunMessages, WithoutTheApplicationNothingElseIsSaid) {
    run::RunOutcome out;
    out.list.rowsFailed = {"c.xls"};
    EXPECT_THAT(RunOutcomeMessages(out),
                ElementsAre("EXCELがインストールされていないので、利用できません。"));
}

}  // namespace
}  // namespace mokuji::window
