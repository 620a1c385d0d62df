// The program over answers kept in subfolders, asked to search them: what it
// takes and names, the list it writes and updates, and where its links lead
// when LibreOffice follows them. Read back by xlrd.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;

// A cell of a source workbook on its first or second sheet.
struct SheetCell {
    int sheet;
    int row, col;
    std::string text;
    const char* name = nullptr;
};

// A workbook whose answers lie on its second sheet, named secondSheet.
void makeTwoSheetSource(const std::string& path, const std::vector<SheetCell>& cells,
                        const std::string& secondSheet = "回答") {
    auto app = xls::native::createApplication();
    auto book = app->workbooks()->add();
    app->sheets("Sheet2")->setName(secondSheet);
    for (const SheetCell& c : cells) {
        const std::string sheet = c.sheet == 1 ? "Sheet1" : secondSheet;
        app->sheets(sheet)->select();
        app->cells(c.row, c.col)->setFormulaR1C1(Variant(c.text));
        if (c.name)
            book->names()->add(
                c.name, "=" + sheet + "!R" + std::to_string(c.row) + "C" + std::to_string(c.col));
    }
    app->sheets("Sheet1")->select();
    automation::SaveAsArguments args;
    args.fileName = path;
    book->saveAs(args);
}

class FolderTree : public ::testing::Test, protected Scene {
  protected:
    void SetUp() override {
        // The template: its named cells are on the second sheet, and the
        // first sheet holds other text at the same places.
        makeTwoSheetSource(at("a.xls"), {{1, 2, 2, "表紙の件名"},
                                         {2, 2, 2, "点検", "件名"},
                                         {2, 3, 2, "鈴木", "担当者"},
                                         {1, 30, 1, "", "P_フォルダ名"}});
        for (const char* sub : {"営業部/2026 春", "開発部/第3課/深い", ".隠し", "sub", "読めない"})
            std::filesystem::create_directories(u8path(at(sub)));
        // Answers whose names were lost: the same sheet found by its name,
        // else by its place.
        makeTwoSheetSource(at("営業部/b.xls"),
                           {{1, 2, 2, "表紙の件名"}, {2, 2, 2, "報告"}, {2, 3, 2, "山田"}});
        makeTwoSheetSource(at("開発部/第3課/深い/e.xls"),
                           {{1, 2, 2, "表紙の件名"}, {2, 2, 2, "深層"}, {2, 3, 2, "佐藤"}}, "別名");
        makeTwoSheetSource(at("営業部/2026 春/c d.xls"),
                           {{2, 2, 2, "春", "件名"}, {2, 3, 2, "田中", "担当者"}});
        makeTwoSheetSource(at("営業部/下書き_b.xls"), {{2, 2, 2, "下書き", "件名"}});
        makeTwoSheetSource(at(".隠し/h.xls"), {{2, 2, 2, "隠し", "件名"}});
        makeTwoSheetSource(at("読めない/x.xls"), {{2, 2, 2, "読めない", "件名"}});
        std::filesystem::copy_file(u8path(at("a.xls")), u8path(at("sub/00_目次.xls")));
        std::filesystem::create_directory_symlink("../..", u8path(at("開発部/第3課/上へ")));
    }

    // Run as the unprivileged user when the tests run as root, so that a
    // folder without permissions is one the program cannot read.
    ProgramRun runOverTree() {
        std::filesystem::permissions(u8path(at("読めない")), std::filesystem::perms::none);
        ProgramRun r = run({"-r", "--exclude", "下書き*", folder}, {}, {.unprivileged = true});
        std::filesystem::permissions(u8path(at("読めない")), std::filesystem::perms::owner_all);
        return r;
    }

    std::string rows() const {
        return fake::xlrdSays(list(), R"(
s = b.sheet_by_index(0)
for r in range(5, s.nrows):
    print('|'.join(str(v) for v in s.row_values(r)[2:6]))
)");
    }
};

TEST_F(FolderTree, SubfoldersAreListedByRelativePathAndWhatWasPassedOverIsNamed) {
    ProgramRun first = runOverTree();
    ASSERT_EQ(first.status, 0) << first.err;
    // In the order of the relative paths; a fallback cell read on the
    // answer's sheet of the template's named cell, found by its name or,
    // renamed, by its place.
    EXPECT_EQ(rows(),
              "a.xls|点検|鈴木|\n"
              "営業部/2026 春/c d.xls|春|田中|営業部/2026 春\n"
              "営業部/b.xls|報告|山田|営業部\n"
              "開発部/第3課/深い/e.xls|深層|佐藤|開発部/第3課/深い\n");
    EXPECT_THAT(first.err, HasSubstr("sub/00_目次.xls（サブフォルダの目次ファイル）"));
    EXPECT_THAT(first.err, HasSubstr("開発部/第3課/上へ/（探したフォルダへのリンク）"));
    EXPECT_THAT(first.err, HasSubstr("除外したブック1件"));
    EXPECT_THAT(first.err, HasSubstr("読めない/（フォルダを読めません: 読む権限がありません）"));

    // A second run after one answer left and another came: rows follow the
    // folder, and the sheets of the fallback cells come from the list.
    std::filesystem::remove(u8path(at("営業部/2026 春/c d.xls")));
    makeTwoSheetSource(at("開発部/f.xls"), {{2, 2, 2, "追加"}, {2, 3, 2, "伊藤"}});
    ProgramRun second = runOverTree();
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(rows(),
              "a.xls|点検|鈴木|\n"
              "営業部/b.xls|報告|山田|営業部\n"
              "開発部/f.xls|追加|伊藤|開発部\n"
              "開発部/第3課/深い/e.xls|深層|佐藤|開発部/第3課/深い\n");

    // LibreOffice follows each link to its own file, below the list.
    if (withoutLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    const std::string out = dir.file("links.txt");
    const std::string command = "/usr/bin/python3 '" +
                                fake::testData("../support/libreoffice_links.py") + "' '" + list() +
                                "' > '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(contents(out), "a.xls\n営業部/b.xls\n開発部/f.xls\n開発部/第3課/深い/e.xls\n");

    // And reads the same rows as xlrd does.
    const std::string csvDir = dir.file("csv");
    const std::string convert =
        "cd '" + folder + "' && soffice -env:UserInstallation=file://" + dir.file("profile") +
        " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76'"
        " --outdir '" +
        csvDir + "' 00_目次.xls >/dev/null 2>&1";
    ASSERT_EQ(std::system(convert.c_str()), 0);
    const std::string csv = contents(csvDir + "/00_目次.csv");
    EXPECT_THAT(csv, HasSubstr(",1,a.xls,点検,鈴木,\n"));
    EXPECT_THAT(csv, HasSubstr(",2,営業部/b.xls,報告,山田,営業部\n"));
    EXPECT_THAT(csv, HasSubstr(",4,開発部/第3課/深い/e.xls,深層,佐藤,開発部/第3課/深い\n"));
}

}  // namespace
}  // namespace e2e
