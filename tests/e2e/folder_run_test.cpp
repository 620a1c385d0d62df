// The program over a folder of workbooks: what it gathers, the list it
// writes and then updates, and what it opens. Each list is read back by our
// reader and by xlrd.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class FolderRun : public ::testing::Test, protected Scene {
  protected:
    void SetUp() override {
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
        for (const char* other : {"a.xlsb", "a.csv", "a.xls.bak"}) {
            std::filesystem::copy_file(u8path(at("b.xls")), u8path(at(other)));
        }
        std::filesystem::create_directory(u8path(at("old.xls")));
    }
};

const char* kHeader =
    "No.|FILE名|件名|担当者|控え|P_作成者|P_タイトル|P_アプリケーション名\n"
    "||2|2|20|30|30|30\n"
    "||2|3|2|2|3|4\n";

TEST_F(FolderRun, CreatesTheListFromTheTemplateThenUpdatesItUnderItsOwnName) {
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
                ElementsAre(".hidden.xls", "00_目次.xls", "a.csv", "a.xls", "a.xls.bak", "a.xlsb",
                            "b.xls", "b2.xls", "c.xls", "old.xls", "sub"));
    expectBothReadersAgree(list, std::string("sheet 目次\n") + kHeader +
                                     "1|a.xls|点検2|||||mokuji\n"
                                     "2|b.xls|報告|山田|控えB|||mokuji\n"
                                     "3|b2.xls|追加|佐藤||||mokuji\n"
                                     "4|c.xls||表紙の担当|控え|山田 太郎|名前と値|\n");

    // Named in upper case, the list is updated under its own name, and the
    // row of a workbook gone goes with it.
    const std::string upper = at("00_目次.XLS");
    std::filesystem::rename(u8path(list), u8path(upper));
    std::filesystem::remove(u8path(at("c.xls")));
    ProgramRun third = run({folder + "/", "--verbose"});
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_THAT(namesIn(folder), Not(::testing::Contains("00_目次.xls")));
    EXPECT_THAT(third.err, HasSubstr("caption: mokuji - 目次ファイル更新開始\n"));
    EXPECT_THAT(opener.openedOnceItHolds(upper + "\n"), HasSubstr(upper + "\n"));
    expectBothReadersAgree(upper, std::string("sheet 目次\n") + kHeader +
                                      "1|a.xls|点検2|||||mokuji\n"
                                      "2|b.xls|報告|山田|控えB|||mokuji\n"
                                      "3|b2.xls|追加|佐藤||||mokuji\n");
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
    if (withoutLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    const std::string out = at("links.txt");
    const std::string command = "/usr/bin/python3 '" +
                                fake::testData("../support/libreoffice_links.py") + "' '" +
                                at("00_目次.xls") + "' > '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(out, std::ios::binary);
    const std::string followed((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(lines(followed), expected) << followed;
}

// Answers come back as .xls, .xlsx and .xlsm and are listed alike; every
// other spreadsheet file is named with its reason, never passed over in
// silence, but owner files, hidden files and backups are nobody's answers,
// whatever their extension.
TEST_F(FolderRun, SpreadsheetsNotGatheredAreNamedWithTheirReason) {
    for (const char* other : {"d.xlsx", "e.XLSM", "t.xltx", "f.ods", "g.fods", "h.numbers",
                              "~$a.xls", ".k.ods", "~$d.xlsx", ".k.xlsx"})
        std::filesystem::copy_file(u8path(at("b.xls")), u8path(at(other)));
    const std::string told =
        "以下のファイルはブックとして集めなかったため、目次に載せていません。\n";
    const std::string hint =
        "集めるブックの拡張子は --extensions または設定ファイルの extensions で指定します。\n";
    const struct {
        std::vector<std::string> options;
        std::string rows;   // the file-name column, in order
        std::string named;  // the message's lines, in order
    } cases[] = {
        {{},
         "a.xls,b.xls,c.xls,d.xlsx,e.XLSM,",
         "a.csv（CSV形式のテキストには対応していません）\n"
         "a.xlsb（xlsb形式（バイナリ）のブックには対応していません）\n"
         "f.ods（ods形式（OpenDocument）のスプレッドシートには対応していません）\n"
         "g.fods（fods形式（OpenDocument）のスプレッドシートには対応していません）\n"
         "h.numbers（Numbers形式のファイルには対応していません）\n"
         "t.xltx（ひな形（テンプレート）のファイルです）\n" +
             hint},
        {{"--extensions", "xls"},
         "a.xls,b.xls,c.xls,",
         "a.csv（CSV形式のテキストには対応していません）\n"
         "a.xlsb（xlsb形式（バイナリ）のブックには対応していません）\n"
         "d.xlsx（集めるブックの拡張子に含まれていません）\n"
         "e.XLSM（集めるブックの拡張子に含まれていません）\n"
         "f.ods（ods形式（OpenDocument）のスプレッドシートには対応していません）\n"
         "g.fods（fods形式（OpenDocument）のスプレッドシートには対応していません）\n"
         "h.numbers（Numbers形式のファイルには対応していません）\n"
         "t.xltx（ひな形（テンプレート）のファイルです）\n" +
             hint},
        {{"--extensions", "xls,xlsx,xlsm,xltx,csv,ods,fods,numbers,xlsb"},
         "a.csv,a.xls,a.xlsb,b.xls,c.xls,d.xlsx,e.XLSM,f.ods,g.fods,h.numbers,t.xltx,",
         ""},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(u8path(at("00_目次.xls")));
        std::vector<std::string> args = c.options;
        args.push_back(folder);
        ProgramRun r = run(args);
        SCOPED_TRACE(r.err);
        // Named in the extensions, every file is gathered and read by what
        // it holds (here, each an .xls under another name).
        EXPECT_EQ(r.status, 0);
        // The file-name column of each data row ("1|a.xls|...").
        std::string rows;
        std::istringstream list(listAsOurReaderSees(at("00_目次.xls")));
        for (std::string line; std::getline(list, line);) {
            const std::size_t bar = line.find('|');
            if (bar == 0 || bar == std::string::npos || line.find_first_not_of("0123456789") != bar)
                continue;
            rows += line.substr(bar + 1, line.find('|', bar + 1) - bar - 1) + ",";
        }
        EXPECT_EQ(rows, c.rows);
        if (c.named.empty()) {
            EXPECT_THAT(r.err, Not(HasSubstr(told)));
        } else {
            EXPECT_THAT(r.err, HasSubstr(told + c.named));
        }
        EXPECT_THAT(r.err, Not(HasSubstr("~$")));
        EXPECT_THAT(r.err, Not(HasSubstr(".k.")));
        EXPECT_THAT(r.err, Not(HasSubstr("a.xls.bak")));
    }

    // A folder of answers in formats not read, or left out by the
    // extensions, says so, too, and no list is made.
    for (const char* gathered : {"a.xls", "b.xls", "c.xls", "00_目次.xls"})
        std::filesystem::remove(u8path(at(gathered)));
    ProgramRun r = run({"--extensions", "xls", folder});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("以下のフォルダにはEXCELのシートがありません。"));
    EXPECT_THAT(r.err, HasSubstr(told + "a.csv（"));
    EXPECT_THAT(r.err, HasSubstr("\nd.xlsx（集めるブックの拡張子に含まれていません）\n"));
    EXPECT_FALSE(std::filesystem::exists(u8path(list())));
}

// Bytes of a lock file as the programs that hold a list write them.
std::string ownerFile(const std::string& ansi, const std::u16string& wide, std::size_t padTo) {
    std::string bytes(1, static_cast<char>(ansi.size()));
    bytes += ansi;
    if (wide.empty())
        return bytes + std::string(padTo > bytes.size() ? padTo - bytes.size() : 0, ' ');
    bytes.resize(54, ' ');
    bytes += static_cast<char>(wide.size());
    bytes += '\0';
    for (char16_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.resize(padTo, '\0');
    return bytes;
}

// A list open in another program would be saved over any update: the run
// refuses, names the holder and the lock, and leaves the list as it was.
TEST_F(FolderRun, AListOpenElsewhereIsLeftAloneAndItsHolderNamed) {
    ASSERT_EQ(run({folder}).status, 0);
    const std::string list = at("00_目次.xls");
    const std::string before = contents(list);
    const struct {
        std::string lock;
        std::string bytes;
        std::string holder;
    } cases[] = {
        {".~lock.00_目次.xls#", ",yamada,pc01,09.12.2026 10:15,file:///home/yamada/.config/lo;",
         "yamada（pc01、09.12.2026 10:15）"},
        // The user's own name first, a comma escaped in it; the name in
        // other letter case, as the list is found.
        {".~lock.00_目次.XLS#", "山田\\, 太郎,yamada,pc01,09.12.2026 10:15,file:///x;\n",
         "山田, 太郎（pc01、09.12.2026 10:15）"},
        {"~$00_目次.xls", ownerFile("yamada", u"", 54), "yamada"},
        // Shift_JIS only, and the long form with the name in UTF-16 too.
        {"~$00_目次.xls",
         ownerFile("\x8eR\x93"
                   "c",
                   u"", 54),
         "山田"},
        {"~$00_目次.XLS",
         ownerFile("\x8eR\x93"
                   "c\x91\xbe\x98Y",
                   u"山田太郎", 165),
         "山田太郎"},
        // Left by a program that crashed, or written by one we do not know.
        {".~lock.00_目次.xls#", "", "（ロックファイルに書かれていません）"},
        {"~$00_目次.xls", std::string("\xff\x01", 2), "（ロックファイルに書かれていません）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lock);
        {
            std::ofstream out(u8path(at(c.lock)), std::ios::binary);
            out << c.bytes;
        }
        ProgramRun r = run({folder});
        EXPECT_EQ(r.status, 5) << r.err;
        EXPECT_THAT(r.err,
                    HasSubstr("目次ファイルがほかのプログラムで開かれているため、作成・更新し"
                              "ませんでした。\n"));
        EXPECT_THAT(r.err, HasSubstr(list + "\n開いている人: " + c.holder +
                                     "\nロックファイル: " + at(c.lock) + "\n"));
        EXPECT_THAT(r.err, HasSubstr("上のロックファイルを削除してから"));
        EXPECT_THAT(r.err, Not(HasSubstr("caption: mokuji - [")));
        EXPECT_EQ(contents(list), before);
        std::filesystem::remove(u8path(at(c.lock)));
    }
    EXPECT_EQ(opener.opened(false), list + "\n");
    EXPECT_EQ(run({folder}).status, 0);
}

// The lock LibreOffice itself writes while it holds the list open; ended
// by a signal it leaves that lock behind, which still refuses until the
// user deletes it as told.
TEST_F(FolderRun, AListOpenInLibreOfficeIsLeftAlone) {
    if (withoutLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    ASSERT_EQ(run({folder}).status, 0);
    const std::string list = at("00_目次.xls");
    const std::string before = contents(list);
    fake::TempFolder profile;
    std::vector<std::string> words = {"soffice", "--headless", "--norestore",
                                      "-env:UserInstallation=file://" + profile.path().string(),
                                      list};
    std::vector<char*> argv = pointersTo(words);
    pid_t office = 0;
    ASSERT_EQ(posix_spawnp(&office, "soffice", nullptr, nullptr, argv.data(), environ), 0);
    const std::string lock = at(".~lock.00_目次.xls#");
    for (int i = 0; i < 1200 && !std::filesystem::exists(u8path(lock)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ProgramRun held = run({folder});
    // soffice is a launcher that starts the office as its child: that child
    // holds the list, and the launcher ends with it.
    std::ifstream childrenOf("/proc/" + std::to_string(office) + "/task/" + std::to_string(office) +
                             "/children");
    for (pid_t child; childrenOf >> child;) kill(child, SIGTERM);
    kill(office, SIGTERM);
    int status = 0;
    waitpid(office, &status, 0);

    ASSERT_TRUE(std::filesystem::exists(u8path(lock))) << "LibreOffice wrote no lock";
    EXPECT_EQ(held.status, 5) << held.err;
    EXPECT_THAT(held.err, HasSubstr("\n開いている人: "));
    EXPECT_THAT(held.err, HasSubstr("\nロックファイル: " + lock + "\n"));
    EXPECT_EQ(contents(list), before);

    ProgramRun stale = run({folder});
    EXPECT_EQ(stale.status, 5) << stale.err;
    std::filesystem::remove(u8path(lock));
    EXPECT_EQ(run({folder}).status, 0);
}

}  // namespace
}  // namespace e2e
