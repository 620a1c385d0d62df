// Files and disks that let the user down, through the real program: files
// named .xls that hold something else, a workbook it may not read, a list
// file it may not replace, a write that stops halfway, a damaged list file.
// Whatever happens, the list file is whole: the old one or the new one.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "e2e/e2e_support.h"
#include "e2e/run_program.h"
#include "support/impostor_files.h"
#include "support/unprivileged_user.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

std::string contents(const std::string& path) {
    std::ifstream in(u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class BadFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = dir.file("回答");
        fs::create_directory(u8path(folder));
        makeSource(at("a.xls"), {{2, 2, "点検", "件名"}});
    }
    void TearDown() override {
        // Left read-only by a test, the folder could not be removed.
        std::error_code ec;
        fs::permissions(u8path(folder), fs::perms::owner_all, ec);
    }

    std::string at(const std::string& name) const { return folder + "/" + name; }
    std::string list() const { return at("00_目次.xls"); }

    // Permission tests run as the unprivileged user when the tests run as
    // root, on folders given to that user.
    ProgramRun run(ChildLimits limits = {}) {
        if (limits.unprivileged && fake::runningAsRoot()) fake::giveToUnprivilegedUser(dir.path());
        // Verbose, so that the captions tell how far a run went.
        return runProgram(MOKUJI_BINARY, {"--verbose", folder},
                          {{"MOKUJI_OPENER", opener.program()}}, dir.path().string(),
                          std::chrono::seconds(60), limits);
    }

    // A first run that writes the list the later runs must not lose.
    std::string writeList(const ChildLimits& limits = {}) {
        ProgramRun first = run(limits);
        EXPECT_EQ(first.status, 0) << first.err;
        EXPECT_EQ(opener.opened(), list() + "\n");
        return contents(list());
    }

    fake::TempFolder dir;
    RecordingOpener opener{dir};
    std::string folder;
};

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
    makeSource(at("x\x1B[2J.xls"), {{2, 2, "消去", "件名"}});
    // A name that would print a line like the summary, one shown reversed
    // ("slx.exe" read right to left), neither of them a workbook.
    dir.write("回答/a\n目次ファイルに9行を書き込みました: x.xls", "no workbook");
    dir.write("回答/\u202Eslx.exe.xls", "no workbook");
    ProgramRun r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find('\x1B'), std::string::npos);
    EXPECT_THAT(r.err, HasSubstr("caption: mokuji - [x\\x1B[2J.xls]\n"));
    EXPECT_THAT(r.err, HasSubstr("caption: mokuji - [アンケート.xls]\n"));
    EXPECT_THAT(r.err, HasSubstr("\na\\x0A目次ファイルに9行を書き込みました: x.xls（"));
    EXPECT_THAT(r.err, Not(HasSubstr("\n目次ファイルに9行")));
    EXPECT_THAT(r.err, HasSubstr("\n\\u202Eslx.exe.xls（"));
    EXPECT_THAT(r.err, Not(HasSubstr("\u202E")));
    EXPECT_THAT(listAsOurReaderSees(list()), HasSubstr("|アンケート.xls|回答\n"));
}

// Where the list file cannot be replaced, the run fails and says why, and
// the old list stays as it was, with nothing left beside it.
struct Lock {
    const char* name;
    fs::path (*what)(const std::string& folder);
    // Else as the tests' own user, root in CI, whom a read-only list file
    // must stop as well.
    bool unprivileged = true;
};

void PrintTo(const Lock& lock, std::ostream* os) {
    *os << lock.name;
}

class UnwritableList : public BadFiles, public ::testing::WithParamInterface<Lock> {};

TEST_P(UnwritableList, KeepsTheOldListAndFailsTheRun) {
    const ChildLimits user{.unprivileged = GetParam().unprivileged};
    const std::string old = writeList(user);
    makeSource(at("b.xls"), {{2, 2, "報告", "件名"}});
    const auto before = namesIn(folder);
    fs::permissions(GetParam().what(folder),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    ProgramRun r = run(user);
    EXPECT_GT(r.status, 0);
    EXPECT_THAT(r.err, HasSubstr("目次ファイルを保存できませんでした。\n" + list() + "\n"));
    // Said in the user's language, not the system's.
    EXPECT_THAT(r.err, HasSubstr("ファイルに書き込む権限がないか、読み取り専用になっています\n"));
    EXPECT_THAT(r.err, Not(HasSubstr("Permission denied")));
    EXPECT_EQ(contents(list()), old);
    EXPECT_EQ(namesIn(folder), before);
}

INSTANTIATE_TEST_SUITE_P(
    Locks, UnwritableList,
    ::testing::Values(
        Lock{"ReadOnlyListFile",
             [](const std::string& folder) { return u8path(folder + "/00_目次.xls"); }},
        Lock{"ReadOnlyFolder", [](const std::string& folder) { return u8path(folder); }},
        Lock{"ReadOnlyListFileOfTheRunningUser",
             [](const std::string& folder) { return u8path(folder + "/00_目次.xls"); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A list file that is a symbolic link to a shared list: the shared list is
// what the run updates, and the link stays a link.
struct Linked {
    const char* name;
    // Makes the list file a link into `shared`, moving the list there if
    // there is one; returns the file the links end at.
    std::string (*make)(const std::string& list, const std::string& shared);
};

void PrintTo(const Linked& linked, std::ostream* os) {
    *os << linked.name;
}

class LinkedList : public BadFiles, public ::testing::WithParamInterface<Linked> {};

TEST_P(LinkedList, UpdatesTheFileTheLinkEndsAtAndKeepsTheLink) {
    writeList();
    const std::string shared = dir.file("共有");
    fs::create_directory(u8path(shared));
    const std::string target = GetParam().make(list(), shared);
    makeSource(at("b.xls"), {{2, 2, "報告", "件名"}});

    ProgramRun r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(u8path(list())));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(u8path(target))));
    EXPECT_THAT(namesIn(folder), ::testing::ElementsAre("00_目次.xls", "a.xls", "b.xls"));
    EXPECT_THAT(namesIn(shared), ::testing::Each(Not(HasSubstr(".~tmp"))));
    expectBothReadersAgree(target,
                           "sheet 目次\n"
                           "No.|FILE名|件名\n"
                           "||2\n"
                           "||2\n"
                           "1|a.xls|点検\n"
                           "2|b.xls|報告\n");
}

INSTANTIATE_TEST_SUITE_P(
    Links, LinkedList,
    ::testing::Values(Linked{"ByItsFullPath",
                             [](const std::string& list, const std::string& shared) {
                                 const std::string target = shared + "/目次.xls";
                                 fs::rename(u8path(list), u8path(target));
                                 fs::create_symlink(u8path(target), u8path(list));
                                 return target;
                             }},
                      // Each link relative to its own folder, not to the list's.
                      Linked{"ThroughAChainOfRelativeLinks",
                             [](const std::string& list, const std::string& shared) {
                                 fs::rename(u8path(list), u8path(shared + "/本体.xls"));
                                 fs::create_symlink("本体.xls", u8path(shared + "/最新.xls"));
                                 fs::create_symlink(u8path("../共有/最新.xls"), u8path(list));
                                 return shared + "/本体.xls";
                             }},
                      // The link names a list not yet made: the run makes it there.
                      Linked{"ToAFileNotYetThere",
                             [](const std::string& list, const std::string& shared) {
                                 fs::remove(u8path(list));
                                 fs::create_symlink(u8path("../共有/新しい目次.xls"), u8path(list));
                                 return shared + "/新しい目次.xls";
                             }}),
    [](const auto& info) { return std::string(info.param.name); });

// A signal that ends the run during the save leaves the old list as it was
// and nothing beside it.
class SignalDuringSave : public BadFiles, public ::testing::WithParamInterface<int> {};

TEST_P(SignalDuringSave, EndsTheRunWithTheOldListAndNoTemporaryFile) {
    const std::string old = writeList();
    makeSource(at("b.xls"), {{2, 2, "報告", "件名"}});
    const auto before = namesIn(folder);
    // The preloaded sanitizer runtime must come first; the signal's module
    // may come before it here.
    const char* asan = std::getenv("ASAN_OPTIONS");
    ProgramRun r =
        runProgram(MOKUJI_BINARY, {folder},
                   {{"MOKUJI_OPENER", opener.program()},
                    {"LD_PRELOAD", MOKUJI_SIGNAL_DURING_SAVE},
                    {"MOKUJI_TEST_SIGNAL", std::to_string(GetParam())},
                    {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0"}},
                   dir.path().string());
    EXPECT_EQ(r.signal, GetParam()) << r.err;
    EXPECT_EQ(contents(list()), old);
    EXPECT_EQ(namesIn(folder), before);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringSave, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGINT    ? "Interrupt"
                                                : info.param == SIGTERM ? "Terminate"
                                                                        : "HangUp");
                         });

TEST_F(BadFiles, AWriteThatStopsHalfwayKeepsTheOldListAndLeavesNoTemporaryFile) {
    const std::string old = writeList();
    for (const char* name : {"b.xls", "c.xls", "d.xls", "e.xls"})
        makeSource(at(name), {{2, 2, name, "件名"}});
    const auto before = namesIn(folder);

    // The file size limit stops the real write of the new list part way,
    // as a full disk would.
    ProgramRun r = run({.fileSizeLimit = static_cast<long long>(old.size() / 2)});
    EXPECT_GT(r.status, 0);
    EXPECT_THAT(r.err, HasSubstr("目次ファイルを保存できませんでした。\n" + list() + "\n"));
    EXPECT_THAT(r.err, HasSubstr("ディスクの空き容量が足りません\n"));
    EXPECT_EQ(contents(list()), old);
    EXPECT_EQ(namesIn(folder), before);
}

// A list file that cannot be read is never replaced by a new one: its rows
// and columns would be lost.
struct Damage {
    const char* name;
    std::string (*applied)(const std::string& list);
    const char* said;  // after the list file's name
};

void PrintTo(const Damage& damage, std::ostream* os) {
    *os << damage.name;
}

constexpr const char* kDamaged = "（ファイルが壊れています）";

class DamagedList : public BadFiles, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedList, IsNamedAndLeftAsItWas) {
    const std::string damaged = GetParam().applied(writeList());
    dir.write("回答/00_目次.xls", damaged);
    makeSource(at("b.xls"), {{2, 2, "報告", "件名"}});
    const auto before = namesIn(folder);

    ProgramRun r = run();
    EXPECT_GT(r.status, 0);
    EXPECT_THAT(r.err, HasSubstr(list() + GetParam().said + "\n"));
    EXPECT_THAT(r.err, Not(HasSubstr("caption: mokuji - [b.xls]")));
    EXPECT_EQ(contents(list()), damaged);
    EXPECT_EQ(namesIn(folder), before);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedList,
    ::testing::Values(Damage{"CutInHalf",
                             [](const std::string& l) { return l.substr(0, l.size() / 2); },
                             kDamaged},
                      Damage{"CutAfterItsHeader",
                             [](const std::string& l) { return l.substr(0, 512); }, kDamaged},
                      // The compound file header kept, everything after it noise.
                      Damage{"FilledWithGarbage",
                             [](const std::string& l) {
                                 std::string out = l;
                                 std::uint32_t x = 2463534242u;
                                 for (std::size_t i = 512; i < out.size(); ++i) {
                                     x ^= x << 13;
                                     x ^= x >> 17;
                                     x ^= x << 5;
                                     out[i] = static_cast<char>(x & 0xFF);
                                 }
                                 return out;
                             },
                             kDamaged},
                      Damage{"ZeroedAfterItsHeader",
                             [](const std::string& l) {
                                 return l.substr(0, 512) + std::string(l.size() - 512, '\0');
                             },
                             kDamaged},
                      // Saved over in the newer format under the old name.
                      Damage{"ReplacedByAZipWorkbook",
                             [](const std::string&) { return fake::xlsxBytes(); },
                             "（ファイルが壊れています）（中身がxlsx形式のブックです）"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
