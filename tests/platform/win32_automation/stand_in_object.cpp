#include "stand_in_object.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cwchar>
#include <set>

namespace stand_in {

namespace {

// Every member the stand-in knows (DISPID: index plus one) and every named
// argument (DISPID: index plus kFirstArgument).
const std::vector<std::wstring> kMemberNames = Words(
    L"Workbooks EnableEvents DisplayAlerts Quit Range ActiveWorkbook ActiveSheet Cells "
    L"Sheets Open Close Count Item Add Name FullName Names BuiltinDocumentProperties "
    L"Save SaveAs Value Row Column FormulaR1C1 Select RefersTo RefersToRange Type Rows "
    L"Columns ColumnWidth RowHeight HorizontalAlignment VerticalAlignment Orientation "
    L"AddIndent IndentLevel WrapText ShrinkToFit MergeCells Interior Borders ColorIndex "
    L"Pattern LineStyle Weight Delete Hyperlinks ActiveWindow SelectedSheets "
    L"Application Worksheet");
const std::vector<std::wstring> kArgumentNames = Words(
    L"FileName UpdateLinks ReadOnly IgnoreReadOnlyRecommended SaveChanges Password "
    L"WriteResPassword ReadOnlyRecommended CreateBackup Name RefersToR1C1 Shift Anchor "
    L"Address TextToDisplay");
constexpr DISPID kFirstArgument = 1000;

const std::map<Kind, std::set<std::wstring>> kMembers = {
    {Kind::Application,
     WordSet(L"Workbooks EnableEvents DisplayAlerts Quit Range ActiveWorkbook ActiveSheet "
             L"Cells Sheets Rows Columns ActiveWindow")},
    {Kind::Workbooks, WordSet(L"Open Close Count Item Add Application")},
    {Kind::Workbook,
     WordSet(L"Name FullName Sheets Names BuiltinDocumentProperties Close Save SaveAs")},
    {Kind::Sheets, WordSet(L"Count Item Delete")},
    {Kind::Worksheet, WordSet(L"Name Cells Range Select Hyperlinks")},
    {Kind::Range,
     WordSet(L"Value Row Column Item FormulaR1C1 Select Rows Columns Count Worksheet ColumnWidth "
             L"RowHeight HorizontalAlignment VerticalAlignment Orientation AddIndent "
             L"IndentLevel WrapText ShrinkToFit MergeCells Interior Borders Delete")},
    {Kind::Names, WordSet(L"Count Item Add")},
    {Kind::Name, WordSet(L"Name RefersTo RefersToRange")},
    {Kind::Properties, WordSet(L"Count Item")},
    {Kind::Property, WordSet(L"Name Type Value")},
    {Kind::Interior, WordSet(L"ColorIndex Pattern")},
    {Kind::Borders, WordSet(L"Item")},
    {Kind::Border, WordSet(L"LineStyle Weight ColorIndex")},
    {Kind::Window, WordSet(L"SelectedSheets")},
    {Kind::Hyperlinks, WordSet(L"Add")},
};

int lookUp(const std::vector<std::wstring>& names, const wchar_t* name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (CompareStringOrdinal(names[i].c_str(), -1, name, -1, TRUE) == CSTR_EQUAL)
            return static_cast<int>(i);
    }
    return -1;
}

std::set<Node*> g_nodes;

std::wstring valueText(const VARIANT& v) {
    const VARIANT& x = (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal) ? *v.pvarVal : v;
    wchar_t buf[64];
    switch (x.vt) {
        case VT_EMPTY:
            return L"empty";
        case VT_BSTR:
            return L"s:" + std::wstring(x.bstrVal, SysStringLen(x.bstrVal));
        case VT_I2:
            swprintf(buf, 64, L"i2:%d", x.iVal);
            return buf;
        case VT_I4:
            swprintf(buf, 64, L"i4:%ld", static_cast<long>(x.lVal));
            return buf;
        case VT_R8:
            swprintf(buf, 64, L"r8:%g", x.dblVal);
            return buf;
        case VT_BOOL:
            return x.boolVal ? L"b:true" : L"b:false";
        case VT_DISPATCH:
            // An object of this server comes back as itself, not as a proxy.
            for (Node* n : g_nodes) {
                if (static_cast<IDispatch*>(n) != x.pdispVal) continue;
                swprintf(buf, 64, L"obj:%ls(%d,%d)", KindName(n->kind()), n->a(), n->b());
                return buf;
            }
            return L"obj:foreign";
        default:
            swprintf(buf, 64, L"vt:%d", x.vt);
            return buf;
    }
}

}  // namespace

// A list of names written as one text, blank-separated.
std::vector<std::wstring> Words(const wchar_t* text) {
    std::vector<std::wstring> out;
    std::wstring current;
    for (const wchar_t* p = text;; ++p) {
        if (*p == L' ' || *p == L'\0') {
            if (!current.empty()) out.push_back(current);
            current.clear();
            if (*p == L'\0') return out;
        } else {
            current += *p;
        }
    }
}

std::set<std::wstring> WordSet(const wchar_t* text) {
    auto w = Words(text);
    return {w.begin(), w.end()};
}

ServerState& State() {
    static ServerState state;
    return state;
}

const wchar_t* KindName(Kind k) {
    switch (k) {
        case Kind::Application:
            return L"Application";
        case Kind::Workbooks:
            return L"Workbooks";
        case Kind::Workbook:
            return L"Workbook";
        case Kind::Sheets:
            return L"Sheets";
        case Kind::Worksheet:
            return L"Worksheet";
        case Kind::Range:
            return L"Range";
        case Kind::Names:
            return L"Names";
        case Kind::Name:
            return L"Name";
        case Kind::Properties:
            return L"DocumentProperties";
        case Kind::Property:
            return L"DocumentProperty";
        case Kind::Interior:
            return L"Interior";
        case Kind::Borders:
            return L"Borders";
        case Kind::Border:
            return L"Border";
        case Kind::Window:
            return L"Window";
        case Kind::Hyperlinks:
            return L"Hyperlinks";
    }
    return L"?";
}

Node::Node(Kind kind, int book, int a, int b) : kind_(kind), book_(book), a_(a), b_(b) {
    ++State().liveObjects;
    g_nodes.insert(this);
}

Node::~Node() {
    g_nodes.erase(this);
}

HRESULT STDMETHODCALLTYPE Node::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Node::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE Node::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
        delete this;
        // Like the application: gone once nobody holds anything of it.
        if (--State().liveObjects == 0 && State().applicationMade) PostQuitMessage(0);
    }
    return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE Node::GetTypeInfoCount(UINT* n) {
    if (n) *n = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Node::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Node::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                              DISPID* ids) {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0) {
            int m = lookUp(kMemberNames, names[0]);
            if (m >= 0 && kMembers.at(kind_).count(kMemberNames[static_cast<std::size_t>(m)]))
                ids[0] = m + 1;
        } else if (int a = lookUp(kArgumentNames, names[i]); a >= 0) {
            ids[i] = kFirstArgument + a;
        }
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE Node::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                       VARIANT* result, EXCEPINFO* info, UINT*) {
    if (id < 1 || static_cast<std::size_t>(id) > kMemberNames.size()) return DISP_E_MEMBERNOTFOUND;
    const std::wstring member = kMemberNames[static_cast<std::size_t>(id - 1)];
    Args args;
    std::wstring line = std::wstring(KindName(kind_)) + L"." + member;
    line += (flags & DISPATCH_PROPERTYPUT) ? L" PUT"
            : flags == DISPATCH_METHOD     ? L" METHOD"
                                           : L" GET";
    const UINT named = params ? params->cNamedArgs : 0;
    const UINT total = params ? params->cArgs : 0;
    for (UINT k = total; k > named; --k) {
        args.positional.push_back(&params->rgvarg[k - 1]);
        line += L" " + valueText(params->rgvarg[k - 1]);
    }
    for (UINT k = 0; k < named; ++k) {
        const DISPID n = params->rgdispidNamedArgs[k];
        if (n == DISPID_PROPERTYPUT) {
            args.put = &params->rgvarg[k];
            line += L" =" + valueText(params->rgvarg[k]);
        } else if (n >= kFirstArgument &&
                   static_cast<std::size_t>(n - kFirstArgument) < kArgumentNames.size()) {
            const std::wstring& name = kArgumentNames[static_cast<std::size_t>(n - kFirstArgument)];
            args.named[name] = &params->rgvarg[k];
            line += L" " + name + L"=" + valueText(params->rgvarg[k]);
        } else {
            return DISP_E_PARAMNOTFOUND;
        }
    }
    AppendLog(State().model, line);
    const std::wstring key = std::wstring(KindName(kind_)) + L"." + member;
    if (State().model.vanishing.count(key)) {
        AppendLog(State().model, L"vanished");
        ExitProcess(3);
    }
    if (State().model.failing.count(key))
        return Raise(info, kApplicationDefined, L"stand-in failure");
    if (result) VariantInit(result);
    return InvokeMember(*this, member, flags, args, result, info);
}

IDispatch* Make(Kind kind, int book, int a, int b) {
    return new Node(kind, book, a, b);
}

HRESULT Raise(EXCEPINFO* info, SCODE scode, const wchar_t* description) {
    if (info) {
        *info = EXCEPINFO{};
        info->scode = scode;
        info->bstrSource = SysAllocString(L"stand-in");
        info->bstrDescription = SysAllocString(description);
    }
    return DISP_E_EXCEPTION;
}

}  // namespace stand_in
