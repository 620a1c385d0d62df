// What the user is told once a run is over, in the order the messages come.

#include "window/run_messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mokuji::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(RunMessages, EachThingTheRunCouldNotDoIsNamedOnce) {
    engine::RunOutcome out;
    out.applicationStarted = true;
    EXPECT_THAT(RunOutcomeMessages(out), IsEmpty());

    out.skipped = {
        {"a.xls", automation::OpenFailure::Encrypted, "", {}},
        {"b.xls", automation::OpenFailure::NotAWorkbook, "", automation::FileContent::Csv},
        {"c.xls", automation::OpenFailure::Damaged, "", automation::FileContent::ZipWorkbook},
        {"c.XLSX", automation::OpenFailure::Damaged, "", automation::FileContent::ZipWorkbook}};
    out.list.rowsNotWritten = 2;
    out.list.rowsFailed = {"c.xls"};
    out.list.valuesCut = {{"d.xls", "感想"}};
    out.list.valuesAsText = {{"e.xls", "金額"}};
    out.list.namesNotAdded = {"P_マルチメディア クリップの数"};
    out.list.saveFailure = engine::ListSaveFailure{
        "data/00_目次.xls", engine::ListSaveFailure::Step::Save, automation::OpenFailure::DiskFull,
        automation::FileContent::Unknown, "cannot save: No space left on device"};
    EXPECT_THAT(
        RunOutcomeMessages(out),
        ElementsAre(
            "以下のブックは開けなかったため、目次に載せていません。\r\n"
            "a.xls（パスワードで保護されています）\r\n"
            "b.xls（EXCELのブックではありません）（中身がCSV形式のテキストです）\r\n"
            "c.xls（ファイルが壊れています）（中身がxlsx形式のブックです）\r\n"
            "c.XLSX（ファイルが壊れています）\r\n",
            "目次のシートに入りきらなかったため、最後の2件のブックは目次に載せていません。\r\n",
            "以下のブックの値を目次のセルに書き込めなかったため、その行は欠けています。\r\n"
            "c.xls\r\n",
            "以下の値はセルに入りきらないため、先頭の32767文字だけを目次に載せました。\r\n"
            "d.xls（感想）\r\n",
            "以下の値は数値として書き込めないため、文字列「#NUM!」として目次に載せました。\r\n"
            "e.xls（金額）\r\n",
            "以下の列名は目次ファイルに名前として定義できませんでした。"
            "列は見出しの文字で次回も使われます。\r\n"
            "P_マルチメディア クリップの数\r\n",
            "目次ファイルを保存できませんでした。\r\ndata/00_目次.xls\r\n"
            "ディスクの空き容量が足りません\r\n"));
}

TEST(RunMessages, WithoutTheApplicationNothingElseIsSaid) {
    engine::RunOutcome out;
    out.list.rowsFailed = {"c.xls"};
    EXPECT_THAT(RunOutcomeMessages(out),
                ElementsAre("EXCELがインストールされていないので、利用できません。"));
}

}  // namespace
}  // namespace mokuji::app
