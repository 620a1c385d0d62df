// Files and disks that let the user down, through the real program: files
// named .xls that hold something else, a workbook it may not read, a list
// file it may not replace, a write that stops halfway, a damaged list file.
// Whatever happens, the list file is whole: the old one or the new one.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "e2e/e2e_support.h"
#include "support/impostor_files.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

// The folder with one workbook; verbose, so that the captions tell how far
// a run went.
struct OneWorkbook : Scene {
    OneWorkbook() { makeSource(at("a.xls"), {{2, 2, "点検", "件名"}}); }
    ProgramRun run(const ChildLimits& limits = {}, std::map<std::string, std::string> env = {}) {
        return Scene::run({"--verbose", folder}, std::move(env), limits);
    }
};

class BadFiles : public ::testing::Test, protected OneWorkbook {};

TEST_F(BadFiles, ImpostorsAreSkippedAndNamedWithWhatTheyHold) {
    const std::tuple<const char*, std::string, const char*> impostors[] = {
        {"c_ods.xls", fake::odsBytes(), "中身がods形式（OpenDocument）のスプレッドシートです"},
        {"d_zip.xls", fake::zipOf({{"a.txt", "a"}}), "中身がzipファイルです"},
        {"e_xml.xls", "\xEF\xBB\xBF\r\n" + std::string(fake::kSpreadsheetXml),
         "中身がXMLスプレッドシート形式のブックです"},
        {"f_xml16.xls", fake::utf16leOf(fake::kSpreadsheetXml),
         "中身がXMLスプレッドシート形式のブックです"},
        {"g_html.xls", fake::kHtmlTable, "中身がHTML形式（Webページ）です"},
        {"h_mht.xls", fake::kWebArchive, "中身がMHT形式（単一ファイルWebページ）です"},
        {"i_csv.xls", fake::kShiftJisCsv, "中身がCSV形式のテキストです"},
        {"j_tsv16.xls", fake::utf16leOf("a\tb\r\n"), "中身がCSV形式のテキストです"},
        {"k_text.xls", "メモです。\n", "中身がテキストファイルです"},
        {"l_empty.xls", "", "空のファイルです"},
        {"m_pdf.xls", fake::kPdfHead, "中身がPDFファイルです"},
        {"n_png.xls", fake::pngHead(), "中身が画像ファイルです"},
    };
    for (const auto& [name, bytes, _] : impostors) dir.write("回答/" + std::string(name), bytes);
    // A zip-based workbook is read under an .xls name too; this one's parts
    // do not match their checksums.
    dir.write("回答/b_xlsx.xls", fake::xlsxBytes());

    ProgramRun r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("以下のブックは開けなかったため、目次に載せていません。\n"));
    for (const auto& [name, _, what] : impostors) {
        EXPECT_THAT(r.err, HasSubstr(std::string("\n") + name +
                                     "（EXCELのブックではありません）（" + what + "）\n"));
    }
    EXPECT_THAT(
        r.err, HasSubstr("\nb_xlsx.xls（ファイルが壊れています）（中身がxlsx形式のブックです）\n"));
    EXPECT_EQ(listAsOurReaderSees(list()),
              "sheet 目次\n"
              "No.|FILE名|件名\n"
              "||2\n"
              "||2\n"
              "1|a.xls|点検\n");
}

TEST_F(BadFiles, AWorkbookThatMayNotBeReadIsSkippedAndTheRunGoesOn) {
    makeSource(at("b.xls"), {{2, 2, "鍵", "件名"}});
    makeSource(at("c.xls"), {{2, 2, "報告", "件名"}});
    fs::permissions(u8path(at("b.xls")), fs::perms::none);
    ProgramRun r = run({.unprivileged = true});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err,
                HasSubstr("\nb.xls（ファイルを読む権限がないか、ほかのプログラムが使用中です）\n"));
    EXPECT_THAT(listAsOurReaderSees(list()), ::testing::EndsWith("\n1|a.xls|点検\n2|c.xls|報告\n"));
}

TEST_F(BadFiles, WithoutAListTheFirstReadableWorkbookIsTheTemplateAndOwnerFilesAreNoWorkbooks) {
    // An owner file as the spreadsheet application leaves it, and a damaged
    // workbook, both sorting before the first real one.
    dir.write("回答/~$アンケート回答_00001.xls", std::string(165, '\x01'));
    dir.write("回答/0_壊れた.xls", "this is no workbook");
    ProgramRun r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    // Named once, with the workbooks the run skipped.
    EXPECT_THAT(r.err, HasSubstr("\n0_壊れた.xls（"));
    EXPECT_EQ(r.err.find("\n0_壊れた.xls（"), r.err.rfind("\n0_壊れた.xls（"));
    EXPECT_THAT(r.err, Not(HasSubstr("~$")));
    EXPECT_EQ(listAsOurReaderSees(list()),
              "sheet 目次\n"
              "No.|FILE名|件名\n"
              "||2\n"
              "||2\n"
              "1|a.xls|点検\n");
}

TEST_F(BadFiles, NamesReachTheTerminalAsTextAndNeverAsCommands) {
    // "アンケート" in Shift_JIS, as a zip made on Windows unpacks it, and a
    // name that would clear the screen.
    const std::string sjis = "\x83\x41\x83\x93\x83\x50\x81\x5B\x83\x67.xls";
    makeSource(at(sjis), {{2, 2, "回答", "件名"}});
    // Names that would clear the screen, copy to the clipboard (OSC 52),
    // move the cursor, or hold bytes that are no text: shown escaped.
    const std::pair<std::string, std::string> shown[] = {
        {"x\x1B[2J.xls", "x\\x1B[2J.xls"},
        {"c\x1B]52;c;aGk=\x07.xls", "c\\x1B]52;c;aGk=\\x07.xls"},
        {"a\rb\x7F.xls", "a\\x0Db\\x7F.xls"},
        {"csi\xC2\x9B"
         "2J.xls",
         "csi\\u009B2J.xls"},
        {"\xFF\x83.xls", "\\xFF\\x83.xls"},
        // Half-width katakana in Shift_JIS.
        {"\xB1.xls", "ｱ.xls"},
    };
    for (const auto& [name, _] : shown) makeSource(at(name), {{2, 2, "名前", "件名"}});
    // A name that would print a line like the summary, one shown reversed
    // ("slx.exe" read right to left), neither of them a workbook.
    dir.write("回答/a\n目次ファイルに9行を書き込みました: x.xls", "no workbook");
    dir.write("回答/\u202Eslx.exe.xls", "no workbook");
    ProgramRun r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find('\x1B'), std::string::npos);
    for (const auto& [_, text] : shown)
        EXPECT_THAT(r.err, HasSubstr("caption: mokuji - [" + text + "]\n"));
    EXPECT_THAT(r.err, HasSubstr("caption: mokuji - [アンケート.xls]\n"));
    EXPECT_THAT(r.err, HasSubstr("\na\\x0A目次ファイルに9行を書き込みました: x.xls（"));
    EXPECT_THAT(r.err, Not(HasSubstr("\n目次ファイルに9行")));
    EXPECT_THAT(r.err, HasSubstr("\n\\u202Eslx.exe.xls（"));
    EXPECT_THAT(r.err, Not(HasSubstr("\u202E")));
    // In the list as well, names are text, the bytes of none escaped.
    const std::string listed = listAsOurReaderSees(list());
    EXPECT_THAT(listed, HasSubstr("|アンケート.xls|回答\n"));
    EXPECT_THAT(listed, HasSubstr("|ｱ.xls|名前\n"));
    EXPECT_THAT(listed, HasSubstr("|\\xFF\\x83.xls|名前\n"));
}

// Whatever stops the save or makes the list unreadable, the run fails and
// says why, the list stays as it was and nothing is left beside it; a list
// that cannot be read is not opened.
struct Fault {
    const char* name;
    // Done after a first run wrote the list (its bytes given) and a second
    // workbook came; returns the bytes the list file must keep.
    std::function<std::string(OneWorkbook&, const std::string&)> make;
    std::vector<std::string> said;  // after the list file's path
    ChildLimits limits = {};
    int signal = 0;  // sent in the middle of the save
    bool unopened = false;
};

// Permissions remove write for everyone on the path made by `of`.
std::string readOnly(const std::string& path, const std::string& old) {
    fs::permissions(u8path(path),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    return old;
}

std::string garbageAfterHeader(const std::string& l) {
    std::string out = l;
    std::uint32_t x = 2463534242u;
    for (std::size_t i = 512; i < out.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<char>(x & 0xFF);
    }
    return out;
}

TEST(ListFile, IsNeverLostNorHalfWritten) {
    const std::string unsaved = "目次ファイルを保存できませんでした。\n";
    // Said in the user's language, not the system's.
    const std::string denied = "ファイルに書き込む権限がないか、読み取り専用になっています\n";
    const std::string damaged = "（ファイルが壊れています）";
    const auto damage = [](std::string (*how)(const std::string&)) {
        return [how](OneWorkbook& s, const std::string& old) {
            const std::string bytes = how(old);
            s.dir.write("回答/00_目次.xls", bytes);
            return bytes;
        };
    };
    const std::vector<Fault> faults = {
        {"ReadOnlyListFile",
         [](OneWorkbook& s, const std::string& old) { return readOnly(s.list(), old); },
         {unsaved + "@\n", denied},
         {.unprivileged = true}},
        {"ReadOnlyFolder",
         [](OneWorkbook& s, const std::string& old) { return readOnly(s.folder, old); },
         {unsaved + "@\n", denied},
         {.unprivileged = true}},
        // As the tests' own user, root in CI, whom a read-only list file must
        // stop as well.
        {"ReadOnlyListFileOfTheRunningUser",
         [](OneWorkbook& s, const std::string& old) { return readOnly(s.list(), old); },
         {unsaved + "@\n", denied}},
        // A folder where the list file belongs: nothing can be saved there.
        {"AFolderInItsPlace",
         [](OneWorkbook& s, const std::string&) {
             fs::remove(u8path(s.list()));
             fs::create_directory(u8path(s.list()));
             return std::string();
         },
         {unsaved + "@"},
         {},
         0,
         true},
        // The file size limit stops the real write part way, as a full disk
        // would.
        {"DiskFull",
         [](OneWorkbook& s, const std::string& old) {
             for (const char* name : {"c.xls", "d.xls", "e.xls"})
                 makeSource(s.at(name), {{2, 2, name, "件名"}});
             return old;
         },
         {unsaved + "@\n", "ディスクの空き容量が足りません\n"},
         {.fileSizeLimit = 1}},
        {"Interrupt", [](OneWorkbook&, const std::string& old) { return old; }, {}, {}, SIGINT},
        {"Terminate", [](OneWorkbook&, const std::string& old) { return old; }, {}, {}, SIGTERM},
        {"HangUp", [](OneWorkbook&, const std::string& old) { return old; }, {}, {}, SIGHUP},
        // A list that cannot be read is never replaced by a new one: its rows
        // and columns would be lost.
        {"NoWorkbookAtAll",
         damage([](const std::string&) { return std::string("this is no workbook"); }),
         {"@（"},
         {},
         0,
         true},
        {"CutInHalf",
         damage([](const std::string& l) { return l.substr(0, l.size() / 2); }),
         {"@" + damaged + "\n"},
         {},
         0,
         true},
        {"CutAfterItsHeader",
         damage([](const std::string& l) { return l.substr(0, 512); }),
         {"@" + damaged + "\n"},
         {},
         0,
         true},
        // The compound file header kept, everything after it noise or zeros.
        {"FilledWithGarbage", damage(garbageAfterHeader), {"@" + damaged + "\n"}, {}, 0, true},
        {"ZeroedAfterItsHeader",
         damage([](const std::string& l) {
             return l.substr(0, 512) + std::string(l.size() - 512, '\0');
         }),
         {"@" + damaged + "\n"},
         {},
         0,
         true},
        // Saved over in the newer format under the old name.
        {"ReplacedByAZipWorkbook",
         damage([](const std::string&) { return fake::xlsxBytes(); }),
         {"@" + damaged + "（中身がxlsx形式のブックです）\n"},
         {},
         0,
         true},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        OneWorkbook s;
        ProgramRun first = s.run({.unprivileged = f.limits.unprivileged});
        ASSERT_EQ(first.status, 0) << first.err;
        ASSERT_EQ(s.opener.opened(), s.list() + "\n");
        makeSource(s.at("b.xls"), {{2, 2, "報告", "件名"}});
        const std::string kept = f.make(s, contents(s.list()));
        const auto before = namesIn(s.folder);
        ChildLimits limits = f.limits;
        if (limits.fileSizeLimit > 0)
            limits.fileSizeLimit = static_cast<long long>(kept.size() / 2);
        std::map<std::string, std::string> env;
        if (f.signal != 0) {
            // The preloaded sanitizer runtime must come first; the signal's
            // module may come before it here.
            const char* asan = std::getenv("ASAN_OPTIONS");
            env = {{"LD_PRELOAD", MOKUJI_SIGNAL_DURING_SAVE},
                   {"MOKUJI_TEST_SIGNAL", std::to_string(f.signal)},
                   {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}};
        }
        ProgramRun r = s.run(limits, env);
        if (f.signal != 0) {
            EXPECT_EQ(r.signal, f.signal) << r.err;
        } else {
            EXPECT_GT(r.status, 0) << r.err;
        }
        for (std::string part : f.said) {
            if (part.find('@') != std::string::npos) part.replace(part.find('@'), 1, s.list());
            EXPECT_THAT(r.err, HasSubstr(part));
        }
        EXPECT_THAT(r.err, Not(HasSubstr("Permission denied")));
        EXPECT_EQ(contents(s.list()), kept);
        EXPECT_EQ(namesIn(s.folder), before);
        if (f.unopened) {
            EXPECT_EQ(s.opener.opened(false), s.list() + "\n");
        }
    }
}

// A list file that is a symbolic link to a shared list: the shared list is
// what the run updates, and the link stays a link.
TEST(ListFile, ALinkIsFollowedAndKept) {
    const struct {
        const char* name;
        // Makes the list file a link into `shared`, moving the list there;
        // returns the file the links end at.
        std::string (*make)(const std::string& list, const std::string& shared);
    } links[] = {
        {"ByItsFullPath",
         [](const std::string& list, const std::string& shared) {
             const std::string target = shared + "/目次.xls";
             fs::rename(u8path(list), u8path(target));
             fs::create_symlink(u8path(target), u8path(list));
             return target;
         }},
        // Each link relative to its own folder, not to the list's.
        {"ThroughAChainOfRelativeLinks",
         [](const std::string& list, const std::string& shared) {
             fs::rename(u8path(list), u8path(shared + "/本体.xls"));
             fs::create_symlink("本体.xls", u8path(shared + "/最新.xls"));
             fs::create_symlink(u8path("../共有/最新.xls"), u8path(list));
             return shared + "/本体.xls";
         }},
        // The link names a list not yet made: the run makes it there.
        {"ToAFileNotYetThere",
         [](const std::string& list, const std::string& shared) {
             fs::remove(u8path(list));
             fs::create_symlink(u8path("../共有/新しい目次.xls"), u8path(list));
             return shared + "/新しい目次.xls";
         }},
    };
    for (const auto& link : links) {
        SCOPED_TRACE(link.name);
        OneWorkbook s;
        ASSERT_EQ(s.run().status, 0);
        const std::string shared = s.dir.file("共有");
        fs::create_directory(u8path(shared));
        const std::string target = link.make(s.list(), shared);
        makeSource(s.at("b.xls"), {{2, 2, "報告", "件名"}});

        ProgramRun r = s.run();
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_symlink(u8path(s.list())));
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(u8path(target))));
        EXPECT_THAT(namesIn(s.folder), ::testing::ElementsAre("00_目次.xls", "a.xls", "b.xls"));
        EXPECT_THAT(namesIn(shared), ::testing::Each(Not(HasSubstr(".~tmp"))));
        expectBothReadersAgree(
            target, "sheet 目次\nNo.|FILE名|件名\n||2\n||2\n1|a.xls|点検\n2|b.xls|報告\n");
    }
}

}  // namespace
}  // namespace e2e
