// The two readers of column definitions over workbooks written for each
// case: zip-based ones, whose defined names may be anything another
// program writes (constants, sheet-level names, names on nothing), read by
// our own engine.

#include "list_file/list_file_readers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "os/path_names.h"
#include "support/recording_view.h"
#include "support/temp_folder.h"
#include "support/watched_application.h"
#include "support/xlsx_package.h"

namespace mokuji::run {
namespace {

using list_file::kNoNumber;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Column = std::tuple<std::string, std::int32_t, std::int32_t>;

// The used entries of the table, in order; every entry after them must be
// free, as the run expects.
std::vector<Column> used(const list_file::ColumnTable& t) {
    std::vector<Column> out;
    int j = 1;
    for (; j <= list_file::kMaxColumns && !t.g_item_name[j].empty(); ++j)
        out.emplace_back(t.g_item_name[j], t.g_item_row[j], t.g_item_col[j]);
    for (; j <= list_file::kMaxColumns; ++j) {
        EXPECT_EQ(t.g_item_name[j], "") << "entry " << j;
        EXPECT_EQ(t.g_item_row[j], kNoNumber) << "entry " << j;
        EXPECT_EQ(t.g_item_col[j], kNoNumber) << "entry " << j;
    }
    return out;
}

std::string a1(int row, int col) {
    std::string letters;
    for (; col > 0; col = (col - 1) / 26)
        letters.insert(letters.begin(), char('A' + (col - 1) % 26));
    return letters + std::to_string(row);
}

// A defined name: on a cell of the sheet 目次, or on what `refersTo` says
// ("42", "#REF!"); sheet-level when `local`.
struct NameDef {
    std::string name;
    int row = 0, col = 0;
    std::string refersTo;
    bool local = false;
};
NameDef on(std::string name, int row, int col) {
    return {std::move(name), row, col, "", false};
}
NameDef nowhere(std::string name, std::string refersTo = "42") {
    return {std::move(name), 0, 0, std::move(refersTo), false};
}

// Text cells hold shared strings, other cells numbers.
struct CellDef {
    int row, col;
    std::string value;
    bool text = false;
};

struct Book {
    std::vector<NameDef> names;
    std::vector<CellDef> cells;

    std::vector<std::uint8_t> bytes() const {
        std::string defined;
        for (const auto& n : names) {
            std::string target = n.refersTo.empty() ? "目次!$" + a1(n.row, n.col) : n.refersTo;
            if (n.refersTo.empty()) target.insert(target.find_first_of("0123456789"), "$");
            defined += "<definedName name=\"" + n.name + "\"" +
                       (n.local ? " localSheetId=\"0\"" : "") + ">" + target + "</definedName>";
        }
        std::vector<CellDef> sorted = cells;
        std::sort(sorted.begin(), sorted.end(), [](const CellDef& a, const CellDef& b) {
            return std::tie(a.row, a.col) < std::tie(b.row, b.col);
        });
        std::vector<std::string> strings;
        std::string rows;
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            const CellDef& c = sorted[i];
            if (i == 0 || sorted[i - 1].row != c.row) {
                if (i) rows += "</row>";
                rows += "<row r=\"" + std::to_string(c.row) + "\">";
            }
            if (c.text) {
                rows += "<c r=\"" + a1(c.row, c.col) + "\" t=\"s\"><v>" +
                        std::to_string(strings.size()) + "</v></c>";
                strings.push_back(c.value);
            } else {
                rows += "<c r=\"" + a1(c.row, c.col) + "\"><v>" + c.value + "</v></c>";
            }
        }
        if (!sorted.empty()) rows += "</row>";
        fake::XlsxPackage p;
        p.workbookBody = "<sheets><sheet name=\"目次\" sheetId=\"1\" r:id=\"rId1\"/></sheets>" +
                         (defined.empty() ? "" : "<definedNames>" + defined + "</definedNames>");
        p.parts = {{"xl/worksheets/sheet1.xml", fake::sheetPart(rows)},
                   {"xl/sharedStrings.xml", fake::sharedStringsPart(strings)}};
        return p.zip();
    }
};

// A list file as the run writes it: header row 3, each column's row and
// column numbers in the two rows below.
Book listFile(const std::vector<std::tuple<std::string, int, std::string, std::string>>& headers) {
    Book b;
    for (const auto& [name, col, row, column] : headers) {
        b.names.push_back(on(name, 3, col));
        b.cells.push_back({3, col, name, true});
        for (const auto& [r, v] : {std::pair{4, row}, std::pair{5, column}}) {
            if (v.empty()) continue;
            const bool text = v.find_first_not_of("0123456789.") != std::string::npos;
            b.cells.push_back({r, col, text ? v.substr(v[0] == '\'') : v, text});
        }
    }
    return b;
}

class Readers : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const Book& b) {
        const auto bytes = b.bytes();
        return dir.write(name, std::string(bytes.begin(), bytes.end()));
    }
    list_file::ReaderContext context() {
        return {fake::factoryFor(world), view, "mokuji", "*.xls;*.xlsx"};
    }
    std::optional<list_file::ReadFailure> read1(const std::string& path) {
        return ReadListFileColumns(path, table, context());
    }
    std::optional<list_file::ReadFailure> read2(const std::string& path) {
        return ReadTemplateColumns(path, table, context());
    }
    // Something a reader must not touch when it does not read.
    void fillTableWithOldColumns() {
        table.g_item_name[1] = "前の列";
        table.g_item_row[1] = 7;
        table.g_item_col[1] = 8;
        before = table;
    }
    void expectTableUnchanged() const {
        EXPECT_EQ(table.g_item_name, before.g_item_name);
        EXPECT_EQ(table.g_item_row, before.g_item_row);
        EXPECT_EQ(table.g_item_col, before.g_item_col);
    }
    void expectShutDown() const {
        EXPECT_EQ(world.alive, 0);
        ASSERT_GE(world.log.size(), 3u);
        EXPECT_THAT(std::vector(world.log.end() - 3, world.log.end()),
                    ElementsAre("Workbooks.Close", "DisplayAlerts=false", "Quit"));
    }

    fake::TempFolder dir;
    fake::Watch world;
    fake::RecordingView view;
    list_file::ColumnTable table;
    list_file::ColumnTable before;
};

TEST_F(Readers, ListFileGivesColumnsLeftToRightWithTheNumbersUnderTheirHeaders) {
    const std::vector<std::tuple<std::string, int, std::string, std::string>> headers = {
        {"No.", 2, "", ""},
        {"P_ファイル名", 3, "0", "0"},
        {"担当者", 4, "12", "4"},
        {"件名", 5, "2", "2"}};
    const std::vector<Column> expected = {
        {"P_ファイル名", kNoNumber, kNoNumber}, {"担当者", 12, 4}, {"件名", 2, 2}};
    std::vector<std::size_t> order = {0, 1, 2, 3};
    // Every order of the name collection gives the same table.
    do {
        std::vector<std::tuple<std::string, int, std::string, std::string>> shuffled;
        for (std::size_t k : order) shuffled.push_back(headers[k]);
        const std::string path = write("00_目次.xlsx", listFile(shuffled));
        table = {};
        ASSERT_FALSE(read1(path));
        EXPECT_EQ(used(table), expected);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(Readers, ListFileNumbersThatAreNoNumbers) {
    const std::string path = write(
        "00_目次.xlsx",
        listFile({{"文字", 3, "abc", "x"}, {"空", 4, "", ""}, {"数字の文字", 5, "'7", "3.6"}}));
    ASSERT_FALSE(read1(path));
    // Text that is no number gives none; an empty cell converts to 0.
    EXPECT_EQ(
        used(table),
        (std::vector<Column>{{"文字", kNoNumber, kNoNumber}, {"空", 0, 0}, {"数字の文字", 7, 4}}));
}

TEST_F(Readers, ListFileTakesSheetLevelNamesAndSkipsWhatIsNoColumn) {
    Book b = listFile({{"担当者", 4, "2", "3"}});
    b.names.back().local = true;
    b.names.push_back(nowhere("定数"));
    b.names.push_back(nowhere("P_ファイル名", "#REF!"));
    // LibreOffice renames "No." to "No_"; the run numbers column B anyway.
    b.names.push_back(on("No_", 3, 2));
    b.names.push_back(on("Print_Area", 1, 1));
    b.names.back().local = true;
    b.names.push_back(on("件名", 3, 3));
    b.cells.push_back({3, 3, "件名", true});
    ASSERT_FALSE(read1(write("00_目次.xlsx", b)));
    // A file-name column whose cell cannot be found sorts last.
    EXPECT_EQ(used(table),
              (std::vector<Column>{
                  {"件名", 0, 0}, {"目次!担当者", 2, 3}, {"P_ファイル名", kNoNumber, kNoNumber}}));
}

TEST_F(Readers, TemplateGivesColumnsInReadingOrderWithFileNameFirstSkippingWhatIsNoColumn) {
    Book b;
    b.names = {on("件名", 2, 2), on("日付", 5, 1), on("担当者", 2, 3),
               on("No.", 1, 1),  nowhere("定数"),  on("局所", 4, 4)};
    b.names.back().local = true;
    ASSERT_FALSE(read2(write("a.xlsx", b)));
    EXPECT_EQ(used(table),
              (std::vector<Column>{
                  {"P_ファイル名", 0, 0}, {"件名", 2, 2}, {"担当者", 2, 3}, {"日付", 5, 1}}));
}

TEST_F(Readers, TemplateThatDefinesTheFileNameColumnKeepsItsPlace) {
    Book b;
    b.names = {on("件名", 2, 2), on("P_ファイル名", 3, 1)};
    ASSERT_FALSE(read2(write("a.xlsx", b)));
    EXPECT_EQ(used(table), (std::vector<Column>{{"件名", 2, 2}, {"P_ファイル名", 3, 1}}));

    // Defined but on no cell: it counts as met, so no column is added.
    b.names = {on("件名", 2, 2), nowhere("P_ファイル名")};
    ASSERT_FALSE(read2(write("b.xlsx", b)));
    EXPECT_EQ(used(table), (std::vector<Column>{{"件名", 2, 2}}));
}

// Written by LibreOffice: names on two sheets, two on one cell, and names
// that are no column (a constant, a broken reference, sheet-level ones).
TEST_F(Readers, TemplateWrittenByLibreOffice) {
    ASSERT_FALSE(read2(dir.copy(fake::testData("fixtures/names_and_values.xls"), "a.xls")));
    std::vector<Column> cols = used(table);
    // 16 names on cells, and the file-name column.
    ASSERT_EQ(cols.size(), 17u);
    EXPECT_EQ(cols[0], Column("P_ファイル名", 0, 0));
    // A name on the second sheet sorts by its own cell.
    EXPECT_EQ(cols[1], Column("別シート", 2, 2));
    // Two names on C3 (the cell and the block starting there).
    EXPECT_THAT(std::vector(cols.begin() + 2, cols.begin() + 4),
                ::testing::UnorderedElementsAre(Column("担当者", 3, 3), Column("範囲", 3, 3)));
    EXPECT_EQ(cols[4], Column("日付", 4, 3));
    EXPECT_EQ(cols.back(), Column("Total", 16, 3));
    for (const auto& [name, row, col] : cols) {
        EXPECT_NE(name, "定数");
        EXPECT_NE(name, "壊れた");
        EXPECT_EQ(name.find('!'), std::string::npos) << name;
    }
}

std::vector<NameDef> namesInColumnC(int count) {
    std::vector<NameDef> names;
    for (int i = 1; i <= count; ++i) names.push_back(on("n" + std::to_string(i), i, 3));
    return names;
}

TEST_F(Readers, OnlyTheFirst250NamesOfTheCollectionAreRead) {
    Book b;
    for (int i = 1; i <= 300; ++i) b.names.push_back(on("c" + std::to_string(i), 3, 2 + i));
    ASSERT_FALSE(read1(write("00_目次.xlsx", b)));
    std::vector<Column> cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(std::get<0>(cols.front()), "c1");
    EXPECT_EQ(std::get<0>(cols.back()), "c250");

    b.names = namesInColumnC(300);
    ASSERT_FALSE(read2(write("a.xlsx", b)));
    cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(cols[0], Column("P_ファイル名", 0, 0));
    EXPECT_EQ(std::get<0>(cols[1]), "n1");
    // The added column took the place of the name that sorts last.
    EXPECT_EQ(std::get<0>(cols.back()), "n249");
}

TEST_F(Readers, FullTemplateGivesWayToTheFileNameColumn) {
    // 250 names and none of them free: the last in reading order goes.
    Book b;
    b.names = namesInColumnC(250);
    std::swap(b.names.front(), b.names.back());
    ASSERT_FALSE(read2(write("a.xlsx", b)));
    std::vector<Column> cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(cols.front(), Column("P_ファイル名", 0, 0));
    EXPECT_EQ(cols.back(), Column("n249", 249, 3));

    // With one name that is no column, its free entry gives way instead.
    b.names = namesInColumnC(250);
    b.names[100] = nowhere("n101");
    ASSERT_FALSE(read2(write("b.xlsx", b)));
    cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(cols.back(), Column("n250", 250, 3));
    EXPECT_THAT(cols, ::testing::Not(Contains(Column("n101", 101, 3))));
}

TEST_F(Readers, OpenArgumentsCaptionAndShutDown) {
    std::filesystem::create_directory(dir.path() / std::filesystem::path(u8"フォルダ"));
    Book b;
    b.names = {on("件名", 2, 2)};
    // Windows' paths take its own separator only.
    const std::string path = write(std::string("フォルダ") + os::kPathSeparator + "a.xlsx", b);
    ASSERT_FALSE(read2(path));
    EXPECT_EQ(world.log.front(),
              "Open(" + path + ",UpdateLinks=0,ReadOnly=true,IgnoreReadOnlyRecommended=true)");
    EXPECT_THAT(world.log, Contains("Workbook.Close(SaveChanges=false)"));
    expectShutDown();
    EXPECT_EQ(view.caption(), "mokuji - [a.xlsx]");
    EXPECT_EQ(world.created, 1);
}

TEST_F(Readers, WorkbookThatCannotBeOpenedIsReportedAndTheTableKept) {
    fillTableWithOldColumns();
    const std::string locked =
        dir.copy(fake::testData("corpus/PHPOffice__PhpSpreadsheet/pwtest2.xls"), "00_目次.xls");
    std::optional<list_file::ReadFailure> failure = read1(locked);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->path, locked);
    EXPECT_FALSE(failure->reason.empty());
    EXPECT_EQ(failure->cause, automation::OpenFailure::Encrypted);
    expectTableUnchanged();
    expectShutDown();

    world.log.clear();
    failure = read2(dir.file("missing.xls"));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->cause, automation::OpenFailure::NotFound);
    expectTableUnchanged();
    expectShutDown();
}

TEST_F(Readers, FailureWhileWalkingTheNamesKeepsTheTableAndEndsTheInstance) {
    fillTableWithOldColumns();
    Book b;
    b.names = {on("件名", 2, 2)};
    const std::string path = write("a.xlsx", b);
    world.fail("Names.Count");
    std::optional<list_file::ReadFailure> failure = read2(path);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->cause, automation::OpenFailure::Other);
    expectTableUnchanged();
    expectShutDown();

    world.log.clear();
    world.failing["Names.Count"] =
        std::make_exception_ptr(std::logic_error("not an automation failure"));
    EXPECT_THROW(read2(path), std::logic_error);
    expectShutDown();
}

TEST_F(Readers, PathThatIsNoWorkbookGatheredIsNotOpened) {
    fillTableWithOldColumns();
    Book b;
    b.names = {on("件名", 2, 2)};
    const std::string path = write("a.xlsx", b);
    EXPECT_FALSE(ReadTemplateColumns(path, table, {fake::factoryFor(world), view, "mokuji"}));
    EXPECT_FALSE(read1(dir.file("00_目次")));
    EXPECT_THAT(world.log, ::testing::Not(Contains(::testing::StartsWith("Open("))));
    EXPECT_EQ(world.created, 2);
    EXPECT_EQ(world.alive, 0);
    expectTableUnchanged();

    // Letter case of the extension does not matter.
    EXPECT_FALSE(read2(write("B.XLSX", b)));
    EXPECT_EQ(used(table).size(), 2u);
}

// The run that follows cannot start one either and tells the user once.
TEST_F(Readers, WithoutTheApplicationNothingIsReadAndTheTableKept) {
    fillTableWithOldColumns();
    world.failCreation = true;
    EXPECT_FALSE(read1(dir.file("00_目次.xls")));
    EXPECT_FALSE(read2(dir.file("a.xls")));
    EXPECT_THAT(view.messages, IsEmpty());
    EXPECT_THAT(world.log, IsEmpty());
    expectTableUnchanged();
}

}  // namespace
}  // namespace mokuji::run
