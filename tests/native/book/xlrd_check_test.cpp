#include <gtest/gtest.h>

#include "native/book/book_test_util.h"
#include "native/book/workbook.h"

namespace xls::book {
namespace {

// What we write, read by an independent reader.
class XlrdCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing::xlrdAvailable()) GTEST_SKIP() << "/usr/bin/python3 has no xlrd";
    }
};

TEST_F(XlrdCheck, BlankWorkbookOpens) {
    const auto out = testing::runXlrd(Workbook::createBlank().serialize(),
                                      "print(book.nsheets, book.sheet_names(), book.datemode,"
                                      " book.font_list[0].height, len(book.xf_list))\n");
    EXPECT_EQ(out, "3 ['Sheet1', 'Sheet2', 'Sheet3'] 0 220 21\n");
}

TEST_F(XlrdCheck, EditedWorkbookReadsBack) {
    Workbook book = Workbook::createBlank();
    CellStyle st = book.style(15);
    st.horizontal = 2;
    st.top = {2, 10};
    st.fillPattern = 1;
    st.patternColor = 13;
    st.numberFormat = book.addNumberFormat("0.000");
    st.alignmentUsed = st.borderUsed = st.fillUsed = st.numberFormatUsed = true;
    const std::uint16_t xf = book.styleIndex(st);
    Sheet& s = book.sheet(0);
    s.setNumber(0, 0, 3.25, xf);
    s.setText(0, 1, "日本語", 15);
    s.setBoolean(1, 0, true, 15);
    s.setError(1, 1, 0x2A, 15);
    for (std::uint32_t r = 2; r < 200; ++r) s.setNumber(r, 0, r, 15);
    s.setColumnWidth(1, 1, 6000);
    s.setRowHeight(3, 0);
    s.setRowHeight(4, 720);
    s.addHyperlink({0, 1, 0, 1}, "http://example.com/", "example");
    s.addHyperlink({1, 1, 1, 1}, "other.xls", "");
    s.addMergedRange({5, 1, 6, 2});
    book.setName("Data", std::nullopt, {0, 0, {2, 0, 199, 0}});
    book.renameSheet(1, "二枚目");
    book.deleteSheet(2);
    const auto out = testing::runXlrd(book.serialize(), R"(
sh = book.sheet_by_index(0)
print(book.sheet_names() == ['Sheet1', '二枚目'])
print(sh.cell_value(0, 0), sh.cell_value(0, 1) == '日本語', sh.cell_value(1, 0), sh.cell_type(1, 1), sh.cell_value(1, 1))
print(sh.nrows, sh.cell_value(199, 0))
x = book.xf_list[sh.cell_xf_index(0, 0)]
print(x.alignment.hor_align, x.border.top_line_style, x.border.top_colour_index, x.background.fill_pattern, x.background.pattern_colour_index)
print(book.format_map[x.format_key].format_str)
print(sh.colinfo_map[1].width)
print(sh.rowinfo_map[3].hidden, sh.rowinfo_map[4].height)
print(sorted((h.frowx, h.fcolx, h.url_or_path, h.desc) for h in sh.hyperlink_list))
print(sh.merged_cells)
n = book.name_map['data'][0]
print(n.scope, n.result.value[0].coords)
)");
    EXPECT_EQ(out,
              "True\n"
              "3.25 True 1 5 42\n"
              "200 199.0\n"
              "2 2 10 1 13\n"
              "0.000\n"
              "6000\n"
              "1 720\n"
              "[(0, 1, 'http://example.com/', 'example'), (1, 1, 'other.xls', None)]\n"
              "[(5, 7, 1, 3)]\n"
              "-1 (0, 1, 2, 200, 0, 1)\n");
}

// A corpus workbook written back opens in xlrd with the same values.
TEST_F(XlrdCheck, CorpusWorkbookWrittenBackMatches) {
    const std::string script = R"(
import hashlib
h = hashlib.sha1()
for sh in book.sheets():
    for r in range(sh.nrows):
        h.update(repr(sh.row_values(r)).encode())
print(book.nsheets, h.hexdigest())
)";
    std::size_t checked = 0;
    for (const auto& file : testing::corpusFiles()) {
        std::vector<std::uint8_t> original;
        try {
            original = testing::workbookStreamOf(file);
            Workbook::fromStream(original);
        } catch (const std::exception&) {
            continue;
        }
        const auto before = testing::runXlrd(original, script);
        if (before.find("Traceback") != std::string::npos) continue;  // xlrd cannot read it
        EXPECT_EQ(testing::runXlrd(Workbook::fromStream(original).serialize(), script), before)
            << file;
        if (++checked == 25) break;
    }
    EXPECT_GE(checked, 10u);
}

}  // namespace
}  // namespace xls::book
