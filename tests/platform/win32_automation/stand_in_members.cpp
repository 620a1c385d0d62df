#include "stand_in_object.h"

#include <oleauto.h>

#include <cwchar>
#include <set>
#include <string>

namespace stand_in {

namespace {

// Members that only take a value or do something the tests read from the
// log alone.
const std::set<std::wstring> kSettable = WordSet(
    L"EnableEvents DisplayAlerts FormulaR1C1 ColumnWidth RowHeight HorizontalAlignment "
    L"VerticalAlignment Orientation AddIndent IndentLevel WrapText ShrinkToFit "
    L"MergeCells ColorIndex Pattern LineStyle Weight Name");
const std::set<std::wstring> kActions = {L"Select", L"Delete", L"Save", L"SaveAs", L"Add"};

// The typed values of a description as variants.
void setValue(VARIANT* out, const std::wstring& typed) {
    VariantInit(out);
    if (typed.size() < 2 || typed[1] != L':') return;
    const std::wstring rest = typed.substr(2);
    switch (typed[0]) {
        case L's':
            out->vt = VT_BSTR;
            out->bstrVal = SysAllocStringLen(rest.data(), static_cast<UINT>(rest.size()));
            break;
        case L'i':
            out->vt = VT_I4;
            out->lVal = std::wcstol(rest.c_str(), nullptr, 10);
            break;
        case L'r':
            out->vt = VT_R8;
            out->dblVal = std::wcstod(rest.c_str(), nullptr);
            break;
        case L'd':
            out->vt = VT_DATE;
            out->date = std::wcstod(rest.c_str(), nullptr);
            break;
        case L'b':
            out->vt = VT_BOOL;
            out->boolVal = rest == L"1" ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case L'e':
            out->vt = VT_ERROR;
            out->scode = static_cast<SCODE>(0x800A0000u | std::wcstoul(rest.c_str(), nullptr, 10));
            break;
        default:
            break;
    }
}

bool asInt(const VARIANT* v, int& out) {
    if (!v) return false;
    VARIANT c;
    VariantInit(&c);
    if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(v), 0, VT_I4))) return false;
    out = c.lVal;
    return true;
}

bool asText(const VARIANT* v, std::wstring& out) {
    if (!v) return false;
    const VARIANT& x = (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) ? *v->pvarVal : *v;
    if (x.vt != VT_BSTR) return false;
    out.assign(x.bstrVal, SysStringLen(x.bstrVal));
    return true;
}

HRESULT returnObject(VARIANT* result, IDispatch* object) {
    if (result) {
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
    } else {
        object->Release();
    }
    return S_OK;
}

int activeBook() {
    return State().model.open.empty() ? -1 : static_cast<int>(State().model.open.back());
}

// The defined name `text` of a book as the cell range it refers to.
HRESULT nameRange(int book, const std::wstring& text, VARIANT* result, EXCEPINFO* info) {
    if (book >= 0) {
        for (const auto& n : State().model.books[static_cast<std::size_t>(book)].names) {
            if (n.name == text && n.refersToRange)
                return returnObject(result, Make(Kind::Range, book, n.row, n.column));
        }
    }
    return Raise(info, kApplicationDefined, L"Range: no such name");
}

}  // namespace

HRESULT InvokeMember(Node& self, const std::wstring& member, WORD flags, const Args& args,
                     VARIANT* result, EXCEPINFO* info) {
    if ((flags & DISPATCH_PROPERTYPUT) && args.put) {
        if (member == L"DisplayAlerts" && self.kind() == Kind::Application) {
            int on = 0;
            if (asInt(args.put, on)) State().displayAlerts = on != 0;
        }
        if (member == L"FormulaR1C1" && self.kind() == Kind::Range && self.book() >= 0) {
            std::wstring text;
            int n = 0;
            auto& cells = State().model.books[static_cast<std::size_t>(self.book())].cells;
            if (asText(args.put, text)) {
                cells[{self.a(), self.b()}] = L"s:" + text;
            } else if (asInt(args.put, n)) {
                cells[{self.a(), self.b()}] = L"i:" + std::to_wstring(n);
            }
        }
        return kSettable.count(member) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    const int book = self.book();
    stand_in::Book* b = book >= 0 ? &State().model.books[static_cast<std::size_t>(book)] : nullptr;
    int i = 0, j = 0;
    std::wstring text;
    const Kind k = self.kind();
    const bool needsBook = k == Kind::Workbook || k == Kind::Names || k == Kind::Name ||
                           k == Kind::Properties || k == Kind::Property ||
                           (k == Kind::Range && member == L"Value");
    if (needsBook && !b) return Raise(info, kApplicationDefined, L"no workbook is open");
    switch (k) {
        case Kind::Application:
            if (member == L"Workbooks") return returnObject(result, Make(Kind::Workbooks));
            if (member == L"DisplayAlerts" && result) {
                result->vt = VT_BOOL;
                result->boolVal = State().displayAlerts ? VARIANT_TRUE : VARIANT_FALSE;
                return S_OK;
            }
            if (member == L"EnableEvents" || member == L"Quit") return S_OK;
            if (member == L"Range" && asText(args.arg(0), text))
                return nameRange(activeBook(), text, result, info);
            if (member == L"ActiveWorkbook" && activeBook() >= 0)
                return returnObject(result, Make(Kind::Workbook, activeBook()));
            if (member == L"Range" && args.positional.size() == 2)
                return returnObject(result, Make(Kind::Range, activeBook(), -2, -2));
            if (member == L"Cells" && args.positional.empty())
                return returnObject(result, Make(Kind::Range, activeBook(), 0, 0));
            if ((member == L"Rows" || member == L"Columns") && asText(args.arg(0), text))
                return returnObject(result, Make(Kind::Range, activeBook(), -2, -2));
            if (member == L"Sheets") return returnObject(result, Make(Kind::Sheets, activeBook()));
            if (member == L"ActiveSheet")
                return returnObject(result, Make(Kind::Worksheet, activeBook()));
            if (member == L"ActiveWindow")
                return returnObject(result, Make(Kind::Window, activeBook()));
            break;
        case Kind::Workbooks:
            if (member == L"Open" && asText(args.arg(0, L"FileName"), text)) {
                int found = State().model.find(text);
                if (found < 0)
                    return Raise(info, kApplicationDefined, L"Open: the file cannot be found");
                State().model.open.push_back(static_cast<std::size_t>(found));
                return returnObject(result, Make(Kind::Workbook, found));
            }
            if (member == L"Close") {
                State().model.open.clear();
                return S_OK;
            }
            if (member == L"Count" && result) {
                result->vt = VT_I4;
                result->lVal = static_cast<LONG>(State().model.open.size());
                return S_OK;
            }
            if (member == L"Application") return returnObject(result, Make(Kind::Application));
            if (member == L"Add") {
                State().model.books.push_back({L"Book1", {}, {}, {}});
                State().model.open.push_back(State().model.books.size() - 1);
                return returnObject(
                    result, Make(Kind::Workbook, static_cast<int>(State().model.books.size() - 1)));
            }
            if (member == L"Item" && asText(args.arg(0), text))
                return returnObject(result, Make(Kind::Worksheet, book));
            if (member == L"Item" && asInt(args.arg(0), i)) {
                if (i < 1 || static_cast<std::size_t>(i) > State().model.open.size())
                    return DISP_E_BADINDEX;
                return returnObject(
                    result,
                    Make(Kind::Workbook,
                         static_cast<int>(State().model.open[static_cast<std::size_t>(i - 1)])));
            }
            break;
        case Kind::Workbook:
            if (member == L"Name" && result) return setValue(result, L"s:" + b->fileName()), S_OK;
            if (member == L"FullName" && result) return setValue(result, L"s:" + b->path), S_OK;
            if (member == L"Sheets") return returnObject(result, Make(Kind::Sheets, book));
            if (member == L"Names") return returnObject(result, Make(Kind::Names, book));
            if (member == L"BuiltinDocumentProperties")
                return returnObject(result, Make(Kind::Properties, book));
            if (member == L"Close") {
                for (auto it = State().model.open.begin(); it != State().model.open.end(); ++it) {
                    if (static_cast<int>(*it) == book) {
                        State().model.open.erase(it);
                        break;
                    }
                }
                return S_OK;
            }
            break;
        case Kind::Sheets:
            if (member == L"Count" && result) return setValue(result, L"i:1"), S_OK;
            if (member == L"Item" && asText(args.arg(0), text))
                return returnObject(result, Make(Kind::Worksheet, book));
            if (member == L"Item" && asInt(args.arg(0), i)) {
                if (i != 1) return DISP_E_BADINDEX;
                return returnObject(result, Make(Kind::Worksheet, book));
            }
            break;
        case Kind::Worksheet:
            if (member == L"Name" && result) return setValue(result, L"s:Sheet1"), S_OK;
            if (member == L"Cells") return returnObject(result, Make(Kind::Range, book, 0, 0));
            if (member == L"Hyperlinks") return returnObject(result, Make(Kind::Hyperlinks, book));
            break;
        case Kind::Range:
            if (member == L"Item" && self.a() == 0 && asInt(args.arg(0), i) &&
                asInt(args.arg(1), j)) {
                if (i < 1 || i > 65536 || j < 1 || j > 256)
                    return Raise(info, kApplicationDefined, L"Item: outside the sheet");
                return returnObject(result, Make(Kind::Range, book, i, j));
            }
            if (member == L"Row" && result)
                return setValue(result, L"i:" + std::to_wstring(self.a())), S_OK;
            if (member == L"Column" && result)
                return setValue(result, L"i:" + std::to_wstring(self.b())), S_OK;
            if (member == L"Value" && result) {
                auto it = b->cells.find({self.a(), self.b()});
                if (it != b->cells.end()) setValue(result, it->second);
                return S_OK;
            }
            if (member == L"Rows" || member == L"Columns")
                return returnObject(result, Make(Kind::Range, book, -1, -1));
            if (member == L"Count" && result)
                return setValue(result, self.a() == -1 ? L"i:65536" : L"i:1"), S_OK;
            if (member == L"Interior") return returnObject(result, Make(Kind::Interior, book));
            if (member == L"Borders") return returnObject(result, Make(Kind::Borders, book));
            if (member == L"Worksheet") return returnObject(result, Make(Kind::Worksheet, book));
            break;
        case Kind::Names:
            if (member == L"Count" && result)
                return setValue(result, L"i:" + std::to_wstring(b->names.size())), S_OK;
            if (member == L"Item" && asInt(args.arg(0), i)) {
                if (i < 1 || static_cast<std::size_t>(i) > b->names.size()) return DISP_E_BADINDEX;
                return returnObject(result, Make(Kind::Name, book, i));
            }
            break;
        case Kind::Name: {
            const auto& n = b->names[static_cast<std::size_t>(self.a() - 1)];
            if (member == L"Name" && result) return setValue(result, L"s:" + n.name), S_OK;
            if (member == L"RefersToRange") {
                if (!n.refersToRange)
                    return Raise(info, kApplicationDefined, L"RefersToRange: no range");
                return returnObject(result, Make(Kind::Range, book, n.row, n.column));
            }
            break;
        }
        case Kind::Properties:
            if (member == L"Item" && asInt(args.arg(0), i)) {
                if (i < 1 || i > 30) return DISP_E_BADINDEX;
                return returnObject(result, Make(Kind::Property, book, i));
            }
            break;
        case Kind::Property: {
            auto it = b->properties.find(self.a());
            if (member == L"Type" && result)
                return setValue(result, L"i:" + std::to_wstring(it == b->properties.end()
                                                                    ? 4
                                                                    : it->second.first)),
                       S_OK;
            if (member == L"Value") {
                // A property the workbook does not set fails, as the
                // application's does.
                if (it == b->properties.end()) return Raise(info, E_FAIL, L"Value: not set");
                if (result) setValue(result, it->second.second);
                return S_OK;
            }
            break;
        }
        case Kind::Borders:
            if (member == L"Item" && asInt(args.arg(0), i))
                return returnObject(result, Make(Kind::Border, book, i));
            break;
        case Kind::Window:
            if (member == L"SelectedSheets") return returnObject(result, Make(Kind::Sheets, book));
            break;
        case Kind::Interior:
        case Kind::Border:
        case Kind::Hyperlinks:
            break;
    }
    if (kActions.count(member)) return S_OK;
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace stand_in
