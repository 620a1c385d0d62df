// The program over a folder of workbooks: what it gathers, the list it
// writes and then updates, and what it opens. Each list is read back by our
// reader and by xlrd.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "e2e/e2e_support.h"
#include "e2e/run_program.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class FolderRun : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = dir.file("回答");
        std::filesystem::create_directory(u8path(folder));
        // The template, first in order: its names define the columns, the
        // reserved ones taking document properties instead of cells.
        makeSource(at("a.xls"), {{2, 2, "点検", "件名"},
                                 {2, 3, "鈴木", "担当者"},
                                 {20, 2, "控えA", "控え"},
                                 {30, 2, "", "P_作成者"},
                                 {30, 3, "", "P_タイトル"},
                                 {30, 4, "", "P_アプリケーション名"}});
        // No name for 担当者 or 控え: the cells at their places stand in.
        makeSource(at("b.xls"), {{2, 2, "報告", "件名"}, {2, 3, "山田"}, {20, 2, "控えB"}});
        // Written by LibreOffice, with document properties of its own.
        std::filesystem::copy_file(fake::testData("fixtures/names_and_values.xls"),
                                   u8path(at("c.xls")));
        // None of these is gathered.
        std::filesystem::create_directory(u8path(at("sub")));
        makeSource(at("sub/d.xls"), {{2, 2, "下の階", "件名"}});
        makeSource(at(".hidden.xls"), {{2, 2, "隠し", "件名"}});
        for (const char* other : {"a.xlsx", "a.csv", "a.xls.bak"}) {
            std::filesystem::copy_file(u8path(at("b.xls")), u8path(at(other)));
        }
        std::filesystem::create_directory(u8path(at("old.xls")));
    }

    std::string at(const std::string& name) const { return folder + "/" + name; }

    ProgramRun run(const std::vector<std::string>& args) {
        return runProgram(MOKUJI_BINARY, args, {{"MOKUJI_OPENER", opener.program()}},
                          dir.path().string());
    }

    fake::TempFolder dir;
    RecordingOpener opener{dir};
    std::string folder;
};

const char* kHeader =
    "No.|FILE名|件名|担当者|控え|P_作成者|P_タイトル|P_アプリケーション名\n"
    "||2|2|20|30|30|30\n"
    "||2|3|2|2|3|4\n";

TEST_F(FolderRun, CreatesTheListFromTheTemplateThenUpdatesItKeepingItsColumns) {
    // Asked for captions, before the path or after it.
    ProgramRun first = run({"--verbose", folder});
    ASSERT_FALSE(first.timedOut);
    EXPECT_EQ(first.status, 0) << first.err;
    const std::string list = at("00_目次.xls");
    EXPECT_EQ(opener.opened(), list + "\n");
    EXPECT_THAT(first.err, HasSubstr("caption: mokuji - 目次ファイル作成開始\n"));
    EXPECT_THAT(first.err, Not(HasSubstr("d.xls")));
    EXPECT_THAT(first.err, Not(HasSubstr("hidden")));

    expectBothReadersAgree(list, std::string("sheet 目次\n") + kHeader +
                                     "1|a.xls|点検|鈴木|控えA|||mokuji\n"
                                     "2|b.xls|報告|山田|控えB|||mokuji\n"
                                     // LibreOffice does not name itself.
                                     "3|c.xls||表紙の担当|控え|山田 太郎|名前と値|\n");

    // A new name in the template and one more workbook: the list keeps the
    // columns it has and gains a row.
    makeSource(at("a.xls"), {{2, 2, "点検2", "件名"}, {1, 1, "新", "新しい項目"}});
    makeSource(at("b2.xls"), {{2, 2, "追加", "件名"}, {2, 3, "佐藤", "担当者"}});
    ProgramRun second = run({list, "--verbose"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_THAT(second.err, HasSubstr("caption: mokuji - 目次ファイル更新開始\n"));
    EXPECT_THAT(namesIn(folder),
                ElementsAre(".hidden.xls", "00_目次.xls", "a.csv", "a.xls", "a.xls.bak", "a.xlsx",
                            "b.xls", "b2.xls", "c.xls", "old.xls", "sub"));
    expectBothReadersAgree(list, std::string("sheet 目次\n") + kHeader +
                                     "1|a.xls|点検2|||||mokuji\n"
                                     "2|b.xls|報告|山田|控えB|||mokuji\n"
                                     "3|b2.xls|追加|佐藤||||mokuji\n"
                                     "4|c.xls||表紙の担当|控え|山田 太郎|名前と値|\n");
}

TEST_F(FolderRun, AListNamedInUpperCaseIsUpdatedUnderItsOwnName) {
    ASSERT_EQ(run({folder}).status, 0);
    std::filesystem::rename(u8path(at("00_目次.xls")), u8path(at("00_目次.XLS")));
    std::filesystem::remove(u8path(at("c.xls")));
    ProgramRun again = run({folder + "/", "--verbose"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_THAT(namesIn(folder), Not(::testing::Contains("00_目次.xls")));
    EXPECT_THAT(again.err, HasSubstr("caption: mokuji - 目次ファイル更新開始\n"));
    EXPECT_THAT(opener.openedOnceItHolds(at("00_目次.XLS") + "\n"),
                HasSubstr(at("00_目次.XLS") + "\n"));
    expectBothReadersAgree(at("00_目次.XLS"), std::string("sheet 目次\n") + kHeader +
                                                  "1|a.xls|点検|鈴木|控えA|||mokuji\n"
                                                  "2|b.xls|報告|山田|控えB|||mokuji\n");
}

// Whatever a file's name holds, its link in the list leads to that file
// beside the list, as xlrd and LibreOffice follow it: not to a URL, a mail,
// a share, a path from the root or a place in another file. A name that is
// not UTF-8 is linked by its bytes, still relative to the list.
TEST_F(FolderRun, EveryFileNameLinksToItsOwnFileBesideTheList) {
    const std::vector<std::string> odd = {
        "a#b.xls",      "50%.xls",        "c%23d.xls",    "空白 あり.xls",
        "x:y.xls",      "mailto:a.xls",   "http:x.xls",   "\\\\host\\share\\x.xls",
        "a\\..\\b.xls", "タブ\tあり.xls", "x\xFF\xFE.xls"};
    for (const auto& name : odd) std::filesystem::copy_file(u8path(at("b.xls")), u8path(at(name)));
    ProgramRun r = run({folder});
    ASSERT_EQ(r.status, 0) << r.err;
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    std::vector<std::string> expected;
    for (const auto& name : odd)
        expected.push_back(name == "x\xFF\xFE.xls" ? "x\\xff\\xfe.xls" : name);
    for (const char* name : {"a.xls", "b.xls", "c.xls"}) expected.push_back(name);
    std::sort(expected.begin(), expected.end());
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos;
             at = end + 1)
            out.push_back(text.substr(at, end - at));
        std::sort(out.begin(), out.end());
        return out;
    };
    // A file link is a path relative to the list; a URL link is resolved as
    // a relative URL, its escapes decoded to the bytes of the name.
    const std::string seen = fake::xlrdSays(at("00_目次.xls"), R"(
import urllib.parse
s = b.sheet_by_index(0)
for r in range(5, s.nrows):
    h = s.hyperlink_map.get((r, 2))
    if h.type == 'local file' and not h.textmark:
        print(h.url_or_path)
    elif h.type == 'url' and '://' not in h.url_or_path and not h.textmark:
        print(urllib.parse.unquote_to_bytes(h.url_or_path).decode('utf-8', 'backslashreplace'))
    else:
        print('elsewhere:', h.type, h.url_or_path, h.textmark)
)");
    EXPECT_EQ(lines(seen), expected) << seen;
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
        if (std::getenv("CI") != nullptr) FAIL() << "LibreOffice is not installed";
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    const std::string out = at("links.txt");
    const std::string command = "/usr/bin/python3 '" +
                                fake::testData("../support/libreoffice_links.py") + "' '" +
                                at("00_目次.xls") + "' > '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(out, std::ios::binary);
    const std::string followed((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(lines(followed), expected) << followed;
}

TEST_F(FolderRun, AListThatCannotBeSavedIsNamedAndFailsTheRun) {
    // A folder where the list file belongs: nothing can be saved there.
    std::filesystem::create_directory(u8path(at("00_目次.xls")));
    ProgramRun r = run({at("b.xls")});
    EXPECT_GT(r.status, 0);
    EXPECT_THAT(r.err, HasSubstr("目次ファイルを保存できませんでした。\n" + at("00_目次.xls")));
    EXPECT_EQ(opener.opened(false), "");
}

}  // namespace
}  // namespace e2e
