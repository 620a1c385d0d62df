// What each member of the stand-in's objects does: only what the object
// model's calls need, each as the application answers it.

#include <algorithm>

#include "stand_in_server.h"

namespace stand_in {

namespace {

HRESULT accept(Call&) {
    return S_OK;
}

HRESULT worksheetItem(Call& c) {
    int i = 0;
    std::wstring name;
    if (AsText(c.arg(0), name) || (AsInt(c.arg(0), i) && i == 1)) return c.object(L"Worksheet");
    return DISP_E_BADINDEX;
}

}  // namespace

const std::vector<Member> kMembers = {
    {L"Application", L"Workbooks", L"Workbooks", nullptr},
    {L"Application", L"Cells Rows Columns", L"Range", nullptr},
    {L"Application", L"Sheets", L"Sheets", nullptr},
    {L"Application", L"ActiveSheet", L"Worksheet", nullptr},
    {L"Application", L"ActiveWindow", L"Window", nullptr},
    {L"Application", L"ActiveWorkbook", nullptr,
     [](Call& c) {
         c.book();  // none open: none active
         return c.workbook(c.bookIndex);
     }},
    {L"Application", L"EnableEvents Quit", nullptr, accept},
    {L"Application", L"DisplayAlerts", nullptr,
     [](Call& c) {
         int on = 0;
         if (AsInt(c.put, on)) TheModel().displayAlerts = on != 0;
         return c.value(TheModel().displayAlerts ? L"b:1" : L"b:0");
     }},
    {L"Application", L"Range", nullptr,
     [](Call& c) {
         std::wstring text;
         if (!AsText(c.arg(0), text)) return c.object(L"Range");  // from one cell to another
         for (const auto& n : c.book().names) {
             if (n.name == text && n.refersToRange) return c.object(L"Range", n.row, n.column);
         }
         return c.fail(L"Range: no such name");
     }},

    {L"Workbooks", L"Application", L"Application", nullptr},
    {L"Workbooks", L"Open", nullptr,
     [](Call& c) {
         std::wstring path;
         AsText(c.arg(0, L"FileName"), path);
         auto& m = TheModel();
         for (std::size_t i = 0; i < m.books.size(); ++i) {
             if (CompareStringOrdinal(m.books[i].path.c_str(), -1, path.c_str(), -1, TRUE) !=
                 CSTR_EQUAL)
                 continue;
             m.open.push_back(static_cast<int>(i));
             return c.workbook(m.open.back());
         }
         return c.fail(L"Open: the file cannot be found");
     }},
    {L"Workbooks", L"Add", nullptr,
     [](Call& c) {
         auto& m = TheModel();
         m.books.push_back({L"Book1", {}, {}, {}});
         m.open.push_back(static_cast<int>(m.books.size() - 1));
         return c.workbook(m.open.back());
     }},
    {L"Workbooks", L"Close", nullptr,
     [](Call&) {
         TheModel().open.clear();
         return S_OK;
     }},

    {L"Workbook", L"Sheets", L"Sheets", nullptr},
    {L"Workbook", L"Names", L"Names", nullptr},
    {L"Workbook", L"BuiltinDocumentProperties", L"DocumentProperties", nullptr},
    {L"Workbook", L"Save SaveAs", nullptr, accept},
    {L"Workbook", L"Close", nullptr,
     [](Call& c) {
         auto& open = TheModel().open;
         auto it = std::find(open.begin(), open.end(), c.bookIndex);
         if (it != open.end()) open.erase(it);
         return S_OK;
     }},

    {L"Sheets", L"Item", nullptr, worksheetItem},
    {L"Sheets", L"Delete", nullptr, accept},
    {L"Window", L"SelectedSheets", L"Sheets", nullptr},

    {L"Worksheet", L"Cells", L"Range", nullptr},
    {L"Worksheet", L"Hyperlinks", L"Hyperlinks", nullptr},
    {L"Worksheet", L"Name Select", nullptr, accept},
    {L"Hyperlinks", L"Add", nullptr, accept},

    {L"Range", L"Interior", L"Interior", nullptr},
    {L"Range", L"Borders", L"Borders", nullptr},
    {L"Range", L"Worksheet", L"Worksheet", nullptr},
    {L"Range", L"Item", nullptr,
     [](Call& c) {
         int row = 0, column = 0;
         if (!AsInt(c.arg(0), row) || !AsInt(c.arg(1), column) || row < 1 || row > 65536 ||
             column < 1 || column > 256)
             return c.fail(L"Item: outside the sheet");
         return c.object(L"Range", row, column);
     }},
    {L"Range", L"Value", nullptr,
     [](Call& c) {
         const auto& cells = c.book().cells;
         auto it = cells.find({c.a, c.b});
         return it == cells.end() ? S_OK : c.value(it->second);
     }},
    {L"Range", L"FormulaR1C1", nullptr,
     [](Call& c) {
         std::wstring text;
         int n = 0;
         auto& cell = c.book().cells[{c.a, c.b}];
         if (AsText(c.put, text)) {
             cell = L"s:" + text;
         } else if (AsInt(c.put, n)) {
             cell = L"i:" + std::to_wstring(n);
         }
         return S_OK;
     }},
    {L"Range", L"Row", nullptr, [](Call& c) { return c.number(c.a); }},
    {L"Range", L"Column", nullptr, [](Call& c) { return c.number(c.b); }},
    // All rows or all columns of the sheet, counted.
    {L"Range", L"Rows Columns", nullptr, [](Call& c) { return c.object(L"Range", -1, -1); }},
    {L"Range", L"Count", nullptr, [](Call& c) { return c.number(c.a == -1 ? 65536 : 1); }},
    {L"Range",
     L"ColumnWidth RowHeight HorizontalAlignment VerticalAlignment Orientation AddIndent "
     L"IndentLevel WrapText ShrinkToFit MergeCells Delete",
     nullptr, accept},
    {L"Interior", L"ColorIndex Pattern", nullptr, accept},
    {L"Borders", L"Item", L"Border", nullptr},
    {L"Border", L"LineStyle Weight ColorIndex", nullptr, accept},

    {L"Names", L"Count", nullptr,
     [](Call& c) { return c.number(static_cast<long>(c.book().names.size())); }},
    {L"Names", L"Item", nullptr,
     [](Call& c) {
         int i = 0;
         if (!AsInt(c.arg(0), i) || i < 1 || static_cast<std::size_t>(i) > c.book().names.size())
             return DISP_E_BADINDEX;
         return c.object(L"Name", i);
     }},
    {L"Names", L"Add", nullptr, accept},
    {L"Name", L"Name", nullptr,
     [](Call& c) {
         return c.value(L"s:" + c.book().names[static_cast<std::size_t>(c.a - 1)].name);
     }},
    {L"Name", L"RefersToRange", nullptr,
     [](Call& c) {
         const auto& n = c.book().names[static_cast<std::size_t>(c.a - 1)];
         if (!n.refersToRange) return c.fail(L"RefersToRange: no range");
         return c.object(L"Range", n.row, n.column);
     }},

    {L"DocumentProperties", L"Item", nullptr,
     [](Call& c) {
         int i = 0;
         if (!AsInt(c.arg(0), i) || i < 1 || i > 30) return DISP_E_BADINDEX;
         return c.object(L"DocumentProperty", i);
     }},
    {L"DocumentProperty", L"Type", nullptr,
     [](Call& c) {
         const auto& p = c.book().properties;
         auto it = p.find(c.a);
         return c.number(it == p.end() ? 4 : it->second.first);
     }},
    // A property the workbook does not set fails, as the application's does.
    {L"DocumentProperty", L"Value", nullptr,
     [](Call& c) {
         const auto& p = c.book().properties;
         auto it = p.find(c.a);
         return it == p.end() ? c.fail(L"Value: not set", E_FAIL) : c.value(it->second.second);
     }},
};

}  // namespace stand_in
