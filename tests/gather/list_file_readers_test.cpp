// The two readers of column definitions over an in-memory object model.

#include "list_file/list_file_readers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "support/fake_named_books.h"
#include "support/native_path.h"
#include "support/recording_view.h"

namespace mokuji::gather {
namespace {

using automation::Variant;
using columns::kNoNumber;
using fake::nativePath;
using fake::named::Book;
using fake::named::NameDef;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Column = std::tuple<std::string, std::int32_t, std::int32_t>;

// The used entries of the table, in order; every entry after them must be
// free, as the run expects.
std::vector<Column> used(const columns::ColumnTable& t) {
    std::vector<Column> out;
    int j = 1;
    for (; j <= columns::kMaxColumns && !t.g_item_name[j].empty(); ++j)
        out.emplace_back(t.g_item_name[j], t.g_item_row[j], t.g_item_col[j]);
    for (; j <= columns::kMaxColumns; ++j) {
        EXPECT_EQ(t.g_item_name[j], "") << "entry " << j;
        EXPECT_EQ(t.g_item_row[j], columns::kNoNumber) << "entry " << j;
        EXPECT_EQ(t.g_item_col[j], columns::kNoNumber) << "entry " << j;
    }
    return out;
}

// A list file as the run writes it: header row 3, each column's row and
// column numbers in the two rows below.
Book listFile(const std::vector<std::tuple<std::string, int, Variant, Variant>>& headers) {
    Book b;
    for (const auto& [name, col, row, column] : headers) {
        b.names.push_back({name, std::pair{3, col}});
        b.firstSheetCells[{4, col}] = row;
        b.firstSheetCells[{5, col}] = column;
    }
    return b;
}

class Readers : public ::testing::Test {
  protected:
    std::optional<ReadFailure> read1(const std::string& path) {
        return ReadListFileColumns(path, table, {fake::named::factoryFor(world), view, "mokuji"});
    }
    std::optional<ReadFailure> read2(const std::string& path) {
        return ReadTemplateColumns(path, table, {fake::named::factoryFor(world), view, "mokuji"});
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
        EXPECT_EQ(world.applicationsAlive, 0);
        ASSERT_GE(world.log.size(), 3u);
        EXPECT_THAT(std::vector(world.log.end() - 3, world.log.end()),
                    ElementsAre("Workbooks.Close", "DisplayAlerts=false", "Quit"));
    }

    fake::named::World world;
    fake::RecordingView view;
    columns::ColumnTable table;
    columns::ColumnTable before;
};

TEST_F(Readers, ListFileGivesColumnsLeftToRightWithTheNumbersUnderTheirHeaders) {
    const std::vector<std::tuple<std::string, int, Variant, Variant>> headers = {
        {"No.", 2, Variant(), Variant()},
        {"P_ファイル名", 3, Variant(0.0), Variant(0.0)},
        {"担当者", 4, Variant(12.0), Variant(4.0)},
        {"件名", 5, Variant(2.0), Variant(2.0)}};
    const std::vector<Column> expected = {{"P_ファイル名", columns::kNoNumber, columns::kNoNumber},
                                          {"担当者", 12, 4},
                                          {"件名", 2, 2}};
    std::vector<std::size_t> order = {0, 1, 2, 3};
    // Every order of the name collection gives the same table.
    do {
        std::vector<std::tuple<std::string, int, Variant, Variant>> shuffled;
        for (std::size_t k : order) shuffled.push_back(headers[k]);
        world.books[nativePath("/w/00_目次.xls")] = listFile(shuffled);
        table = {};
        ASSERT_FALSE(read1(nativePath("/w/00_目次.xls")));
        EXPECT_EQ(used(table), expected);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(Readers, ListFileNumbersThatAreNoNumbers) {
    world.books[nativePath("/w/00_目次.xls")] =
        listFile({{"文字", 3, Variant("abc"), Variant("")},
                  {"空", 4, Variant(), Variant()},
                  {"数字の文字", 5, Variant("7"), Variant(3.6)}});
    ASSERT_FALSE(read1(nativePath("/w/00_目次.xls")));
    // Text that is no number gives none; an empty cell converts to 0.
    EXPECT_EQ(used(table), (std::vector<Column>{{"文字", columns::kNoNumber, columns::kNoNumber},
                                                {"空", 0, 0},
                                                {"数字の文字", 7, 4}}));
}

TEST_F(Readers, ListFileTakesSheetLevelNamesAndSkipsWhatIsNoColumn) {
    Book b = listFile({{"目次!担当者", 4, Variant(2.0), Variant(3.0)}});
    b.names.push_back({"定数", std::nullopt});
    b.names.push_back({"P_ファイル名", std::nullopt});
    // LibreOffice renames "No." to "No_"; the run numbers column B anyway.
    b.names.push_back({"No_", std::pair{3, 2}});
    b.names.push_back({"目次!Print_Area", std::pair{1, 1}});
    b.names.push_back({"件名", std::pair{3, 3}});
    world.books[nativePath("/w/00_目次.xls")] = b;
    ASSERT_FALSE(read1(nativePath("/w/00_目次.xls")));
    // A file-name column whose cell cannot be found sorts last.
    EXPECT_EQ(used(table),
              (std::vector<Column>{{"件名", 0, 0},
                                   {"目次!担当者", 2, 3},
                                   {"P_ファイル名", columns::kNoNumber, columns::kNoNumber}}));
}

TEST_F(Readers, TemplateGivesColumnsInReadingOrderWithFileNameFirst) {
    world.books[nativePath("/w/a.xls")].names = {
        {"件名", std::pair{2, 2}}, {"日付", std::pair{5, 1}}, {"担当者", std::pair{2, 3}}};
    ASSERT_FALSE(read2(nativePath("/w/a.xls")));
    EXPECT_EQ(used(table),
              (std::vector<Column>{
                  {"P_ファイル名", 0, 0}, {"件名", 2, 2}, {"担当者", 2, 3}, {"日付", 5, 1}}));
}

TEST_F(Readers, TemplateSkipsSheetLevelNamesConstantsAndTheNumberName) {
    world.books[nativePath("/w/a.xls")].names = {{"Sheet1!担当者", std::pair{2, 2}},
                                                 {"No.", std::pair{1, 1}},
                                                 {"定数", std::nullopt},
                                                 {"件名", std::pair{4, 4}}};
    ASSERT_FALSE(read2(nativePath("/w/a.xls")));
    EXPECT_EQ(used(table), (std::vector<Column>{{"P_ファイル名", 0, 0}, {"件名", 4, 4}}));

    world.books[nativePath("/w/b.xls")].names = {{"Sheet1!担当者", std::pair{2, 2}}};
    ASSERT_FALSE(read2(nativePath("/w/b.xls")));
    EXPECT_EQ(used(table), (std::vector<Column>{{"P_ファイル名", 0, 0}}));
}

TEST_F(Readers, TemplateThatDefinesTheFileNameColumnKeepsItsPlace) {
    world.books[nativePath("/w/a.xls")].names = {{"件名", std::pair{2, 2}},
                                                 {"P_ファイル名", std::pair{3, 1}}};
    ASSERT_FALSE(read2(nativePath("/w/a.xls")));
    EXPECT_EQ(used(table), (std::vector<Column>{{"件名", 2, 2}, {"P_ファイル名", 3, 1}}));

    // Defined but on no cell: it counts as met, so no column is added.
    world.books[nativePath("/w/b.xls")].names = {{"件名", std::pair{2, 2}},
                                                 {"P_ファイル名", std::nullopt}};
    ASSERT_FALSE(read2(nativePath("/w/b.xls")));
    EXPECT_EQ(used(table), (std::vector<Column>{{"件名", 2, 2}}));
}

std::vector<NameDef> namesInColumnC(int count) {
    std::vector<NameDef> names;
    for (int i = 1; i <= count; ++i) names.push_back({"n" + std::to_string(i), std::pair{i, 3}});
    return names;
}

TEST_F(Readers, OnlyTheFirst250NamesOfTheCollectionAreRead) {
    Book b;
    for (int i = 1; i <= 300; ++i)
        b.names.push_back({"c" + std::to_string(i), std::pair{3, 2 + i}});
    world.books[nativePath("/w/00_目次.xls")] = b;
    ASSERT_FALSE(read1(nativePath("/w/00_目次.xls")));
    std::vector<Column> cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(std::get<0>(cols.front()), "c1");
    EXPECT_EQ(std::get<0>(cols.back()), "c250");

    world.books[nativePath("/w/a.xls")].names = namesInColumnC(300);
    ASSERT_FALSE(read2(nativePath("/w/a.xls")));
    cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(cols[0], Column("P_ファイル名", 0, 0));
    EXPECT_EQ(std::get<0>(cols[1]), "n1");
    // The added column took the place of the name that sorts last.
    EXPECT_EQ(std::get<0>(cols.back()), "n249");
}

TEST_F(Readers, FullTemplateGivesWayToTheFileNameColumn) {
    // 250 names and none of them free: the last in reading order goes.
    std::vector<NameDef> names = namesInColumnC(250);
    std::swap(names.front(), names.back());
    world.books[nativePath("/w/a.xls")].names = names;
    ASSERT_FALSE(read2(nativePath("/w/a.xls")));
    std::vector<Column> cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(cols.front(), Column("P_ファイル名", 0, 0));
    EXPECT_EQ(cols.back(), Column("n249", 249, 3));

    // With one name that is no column, its free entry gives way instead.
    names = namesInColumnC(250);
    names[100].cell.reset();
    world.books[nativePath("/w/b.xls")].names = names;
    ASSERT_FALSE(read2(nativePath("/w/b.xls")));
    cols = used(table);
    ASSERT_EQ(cols.size(), 250u);
    EXPECT_EQ(cols.back(), Column("n250", 250, 3));
    EXPECT_THAT(cols, ::testing::Not(Contains(Column("n101", 101, 3))));
}

TEST_F(Readers, OpenArgumentsCaptionAndShutDown) {
    world.books[nativePath("/w/フォルダ/a.xls")].names = {{"件名", std::pair{2, 2}}};
    ASSERT_FALSE(read2(nativePath("/w/フォルダ/a.xls")));
    EXPECT_EQ(world.log.front(),
              "Open(" + nativePath("/w/フォルダ/a.xls") +
                  ",UpdateLinks=0,ReadOnly=true,IgnoreReadOnlyRecommended=true)");
    EXPECT_THAT(world.log, Contains("Workbook.Close(SaveChanges=false)"));
    expectShutDown();
    EXPECT_EQ(view.caption(), "mokuji - [a.xls]");
    EXPECT_EQ(world.applicationsCreated, 1);
}

TEST_F(Readers, WorkbookThatCannotBeOpenedIsReportedAndTheTableKept) {
    fillTableWithOldColumns();
    world.books[nativePath("/w/00_目次.xls")] = listFile({{"件名", 3, Variant(2.0), Variant(2.0)}});
    world.books[nativePath("/w/00_目次.xls")].openFailure = automation::OpenFailure::Encrypted;
    std::optional<ReadFailure> failure = read1(nativePath("/w/00_目次.xls"));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->path, nativePath("/w/00_目次.xls"));
    EXPECT_EQ(failure->reason, "cannot open");
    EXPECT_EQ(failure->cause, automation::OpenFailure::Encrypted);
    expectTableUnchanged();
    expectShutDown();

    world.log.clear();
    failure = read2(nativePath("/w/missing.xls"));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->cause, automation::OpenFailure::NotFound);
    expectTableUnchanged();
    expectShutDown();
}

TEST_F(Readers, FailureWhileWalkingTheNamesKeepsTheTableAndEndsTheInstance) {
    fillTableWithOldColumns();
    world.books[nativePath("/w/a.xls")].names = {{"件名", std::pair{2, 2}}};
    world.namesCountFails = true;
    std::optional<ReadFailure> failure = read2(nativePath("/w/a.xls"));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->cause, automation::OpenFailure::Other);
    expectTableUnchanged();
    expectShutDown();

    world.log.clear();
    world.namesCountFails = false;
    world.namesCountThrowsOther = true;
    EXPECT_THROW(read2(nativePath("/w/a.xls")), std::logic_error);
    expectShutDown();
}

TEST_F(Readers, PathThatIsNoXlsIsNotOpened) {
    fillTableWithOldColumns();
    world.books[nativePath("/w/a.xlsx")].names = {{"件名", std::pair{2, 2}}};
    EXPECT_FALSE(read2(nativePath("/w/a.xlsx")));
    EXPECT_FALSE(read1(nativePath("/w/00_目次")));
    EXPECT_THAT(world.log, ::testing::Not(Contains(::testing::StartsWith("Open("))));
    EXPECT_EQ(world.applicationsCreated, 2);
    EXPECT_EQ(world.applicationsAlive, 0);
    expectTableUnchanged();

    // Letter case of the extension does not matter.
    world.books[nativePath("/w/B.XLS")].names = {{"件名", std::pair{2, 2}}};
    EXPECT_FALSE(read2(nativePath("/w/B.XLS")));
    EXPECT_EQ(used(table).size(), 2u);
}

// The run that follows cannot start one either and tells the user once.
TEST_F(Readers, WithoutTheApplicationNothingIsReadAndTheTableKept) {
    fillTableWithOldColumns();
    world.failCreation = true;
    EXPECT_FALSE(read1(nativePath("/w/00_目次.xls")));
    EXPECT_FALSE(read2(nativePath("/w/a.xls")));
    EXPECT_THAT(view.messages, IsEmpty());
    EXPECT_THAT(world.log, IsEmpty());
    expectTableUnchanged();
}

}  // namespace
}  // namespace mokuji::gather
