// The stand-in server's process, its objects and its call log (see
// stand_in_server.h). It ends when the last object is released, as the
// application does after Quit, and in any case a minute after it started.

#include "stand_in_server.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <fstream>

#include "os/win32/wide_text.h"
#include "stand_in_clsid.h"

namespace stand_in {

namespace {

std::wstring g_logPath;
std::set<std::wstring> g_failing;
std::set<std::wstring> g_vanishing;
bool g_applicationMade = false;
LONG g_liveObjects = 0;

// The named arguments the stand-in knows (DISPID: index plus kFirstArgument).
const std::vector<std::wstring> kArgumentNames = {
    L"FileName",     L"UpdateLinks", L"ReadOnly",         L"IgnoreReadOnlyRecommended",
    L"SaveChanges",  L"Password",    L"WriteResPassword", L"ReadOnlyRecommended",
    L"CreateBackup", L"Name",        L"RefersToR1C1",     L"Shift",
    L"Anchor",       L"Address",     L"TextToDisplay"};
constexpr DISPID kFirstArgument = 1000;

std::vector<std::wstring> split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> out;
    for (std::size_t start = 0;;) {
        std::size_t end = text.find(separator, start);
        out.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) return out;
        start = end + 1;
    }
}

bool sameName(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Every member of every class, its DISPID its index plus one.
struct Entry {
    std::wstring kind;
    std::wstring name;
    const Member* member;
};
const std::vector<Entry>& entries() {
    static const std::vector<Entry> all = [] {
        std::vector<Entry> out;
        for (const Member& m : kMembers) {
            for (const auto& name : split(m.names, L' ')) out.push_back({m.kind, name, &m});
        }
        return out;
    }();
    return all;
}

void appendLog(const std::wstring& line) {
    if (g_logPath.empty()) return;
    FILE* f = _wfopen(g_logPath.c_str(), L"ab");
    if (!f) return;
    std::string text = mokuji::os::win::Utf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

void readDescription(const std::wstring& path) {
    Model& m = TheModel();
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string raw;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const auto f = split(mokuji::os::win::Wide(raw), L'\t');
        auto n = [&](std::size_t i) {
            return static_cast<int>(std::wcstol(f[i].c_str(), nullptr, 10));
        };
        const std::wstring& kind = f[0];
        Book* book = m.books.empty() ? nullptr : &m.books.back();
        if (kind == L"log" && f.size() >= 2) {
            g_logPath = f[1];
        } else if (kind == L"book" && f.size() >= 2) {
            m.books.push_back({f[1], {}, {}, {}});
        } else if (kind == L"name" && f.size() >= 4 && book) {
            book->names.push_back({f[1], n(2), n(3), true});
        } else if (kind == L"constname" && f.size() >= 2 && book) {
            book->names.push_back({f[1], 0, 0, false});
        } else if (kind == L"cell" && f.size() >= 4 && book) {
            book->cells[{n(1), n(2)}] = f[3];
        } else if (kind == L"prop" && f.size() >= 4 && book) {
            book->properties[n(1)] = {n(2), f[3]};
        } else if (kind == L"fail" && f.size() >= 2) {
            g_failing.insert(f[1]);
        } else if (kind == L"vanish" && f.size() >= 2) {
            g_vanishing.insert(f[1]);
        }
    }
}

struct NoWorkbook {};

class Node;
std::set<Node*> g_nodes;

class Node final : public IDispatch {
  public:
    Node(const wchar_t* kind, int book, int a, int b) : kind_(kind), book_(book), a_(a), b_(b) {
        ++g_liveObjects;
        g_nodes.insert(this);
    }
    ~Node() { g_nodes.erase(this); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) {
            delete this;
            // Like the application: gone once nobody holds anything of it.
            if (--g_liveObjects == 0 && g_applicationMade) PostQuitMessage(0);
        }
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        HRESULT hr = S_OK;
        const auto& members = entries();
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            if (i == 0) {
                for (std::size_t j = 0; j < members.size(); ++j) {
                    if (members[j].kind == kind_ && sameName(members[j].name, names[0]))
                        ids[0] = static_cast<DISPID>(j + 1);
                }
            } else {
                for (std::size_t j = 0; j < kArgumentNames.size(); ++j) {
                    if (sameName(kArgumentNames[j], names[i]))
                        ids[i] = kFirstArgument + static_cast<DISPID>(j);
                }
            }
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override {
        if (id < 1 || static_cast<std::size_t>(id) > entries().size()) return DISP_E_MEMBERNOTFOUND;
        const Entry& member = entries()[static_cast<std::size_t>(id - 1)];
        const auto& open = TheModel().open;
        Call call{kind_,   book_ >= 0 || open.empty() ? book_ : open.back(),
                  a_,      b_,
                  {},      {},
                  nullptr, result,
                  info};
        const std::wstring key = member.kind + L"." + member.name;
        std::wstring line = key + ((flags & DISPATCH_PROPERTYPUT) ? L" PUT"
                                   : flags == DISPATCH_METHOD     ? L" METHOD"
                                                                  : L" GET");
        const UINT named = params ? params->cNamedArgs : 0;
        const UINT total = params ? params->cArgs : 0;
        for (UINT k = total; k > named; --k) {
            call.positional.push_back(&params->rgvarg[k - 1]);
            line += L" " + valueText(params->rgvarg[k - 1]);
        }
        for (UINT k = 0; k < named; ++k) {
            const DISPID n = params->rgdispidNamedArgs[k];
            const std::size_t a = static_cast<std::size_t>(n - kFirstArgument);
            if (n == DISPID_PROPERTYPUT) {
                call.put = &params->rgvarg[k];
                line += L" =" + valueText(params->rgvarg[k]);
            } else if (n >= kFirstArgument && a < kArgumentNames.size()) {
                call.named[kArgumentNames[a]] = &params->rgvarg[k];
                line += L" " + kArgumentNames[a] + L"=" + valueText(params->rgvarg[k]);
            } else {
                return DISP_E_PARAMNOTFOUND;
            }
        }
        appendLog(line);
        if (g_vanishing.count(key)) {
            appendLog(L"vanished");
            ExitProcess(3);
        }
        if (g_failing.count(key)) return call.fail(L"stand-in failure");
        if (result) VariantInit(result);
        try {
            if (member.member->returns) return call.object(member.member->returns);
            return member.member->run(call);
        } catch (const NoWorkbook&) {
            return call.fail(L"no workbook is open");
        }
    }

  private:
    // An object of this server comes back as itself, not as a proxy.
    static std::wstring valueText(const VARIANT& v) {
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
                for (Node* n : g_nodes) {
                    if (static_cast<IDispatch*>(n) != x.pdispVal) continue;
                    swprintf(buf, 64, L"obj:%ls(%d,%d)", n->kind_, n->a_, n->b_);
                    return buf;
                }
                return L"obj:foreign";
            default:
                swprintf(buf, 64, L"vt:%d", x.vt);
                return buf;
        }
    }

    LONG refs_ = 1;
    const wchar_t* kind_;
    int book_;
    int a_;
    int b_;
};

class Factory : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
            return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        g_applicationMade = true;
        appendLog(L"started");
        IDispatch* app = new Node(L"Application", -1, 0, 0);
        HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

Model& TheModel() {
    static Model model;
    return model;
}

const VARIANT* Call::arg(std::size_t i, const wchar_t* name) const {
    auto it = name ? named.find(name) : named.end();
    if (it != named.end()) return it->second;
    return i < positional.size() ? positional[i] : nullptr;
}

Book& Call::book() const {
    if (bookIndex < 0) throw NoWorkbook{};
    return TheModel().books[static_cast<std::size_t>(bookIndex)];
}

HRESULT Call::object(const wchar_t* k, int row, int column) const {
    IDispatch* made = new Node(k, bookIndex, row, column);
    if (!result) {
        made->Release();
        return S_OK;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = made;
    return S_OK;
}

HRESULT Call::workbook(int index) const {
    return Call{kind, index, 0, 0, {}, {}, nullptr, result, info}.object(L"Workbook");
}

HRESULT Call::value(const std::wstring& typed) const {
    if (!result || typed.size() < 2 || typed[1] != L':') return S_OK;
    const std::wstring rest = typed.substr(2);
    switch (typed[0]) {
        case L's':
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocStringLen(rest.data(), static_cast<UINT>(rest.size()));
            break;
        case L'i':
            result->vt = VT_I4;
            result->lVal = std::wcstol(rest.c_str(), nullptr, 10);
            break;
        case L'r':
            result->vt = VT_R8;
            result->dblVal = std::wcstod(rest.c_str(), nullptr);
            break;
        case L'd':
            result->vt = VT_DATE;
            result->date = std::wcstod(rest.c_str(), nullptr);
            break;
        case L'b':
            result->vt = VT_BOOL;
            result->boolVal = rest == L"1" ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case L'e':
            result->vt = VT_ERROR;
            result->scode =
                static_cast<SCODE>(0x800A0000u | std::wcstoul(rest.c_str(), nullptr, 10));
            break;
        default:
            break;
    }
    return S_OK;
}

HRESULT Call::fail(const wchar_t* description, SCODE scode) const {
    if (info) {
        *info = EXCEPINFO{};
        info->scode = scode;
        info->bstrSource = SysAllocString(L"stand-in");
        info->bstrDescription = SysAllocString(description);
    }
    return DISP_E_EXCEPTION;
}

bool AsInt(const VARIANT* v, int& out) {
    VARIANT c;
    VariantInit(&c);
    if (!v || FAILED(VariantChangeType(&c, const_cast<VARIANT*>(v), 0, VT_I4))) return false;
    out = c.lVal;
    return true;
}

bool AsText(const VARIANT* v, std::wstring& out) {
    if (!v) return false;
    const VARIANT& x = (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) ? *v->pvarVal : *v;
    if (x.vt != VT_BSTR) return false;
    out.assign(x.bstrVal, SysStringLen(x.bstrVal));
    return true;
}

}  // namespace stand_in

// Started by COM as: stand_in_server.exe <description> -Embedding
int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    stand_in::readDescription(argv[1]);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    static stand_in::Factory factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(stand_in::kClsid, &factory, CLSCTX_LOCAL_SERVER,
                                     REGCLS_SINGLEUSE, &cookie))) {
        CoUninitialize();
        return 1;
    }
    // A test that died must not leave the server behind for long.
    SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    CoRevokeClassObject(cookie);
    stand_in::appendLog(L"ended");
    CoUninitialize();
    return 0;
}
