#pragma once

// The objects of the stand-in server: one IDispatch class for every kind of
// object, standing for a workbook and a cell, name or property of it.

#include <windows.h>

#include <oaidl.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "stand_in_model.h"

namespace stand_in {

// What the server holds besides its IDispatch objects.
struct ServerState {
    Model model;
    bool applicationMade = false;
    bool displayAlerts = true;
    LONG liveObjects = 0;
};
ServerState& State();

// A list of names written as one text, blank-separated.
std::vector<std::wstring> Words(const wchar_t* text);
std::set<std::wstring> WordSet(const wchar_t* text);

enum class Kind {
    Application,
    Workbooks,
    Workbook,
    Sheets,
    Worksheet,
    Range,
    Names,
    Name,
    Properties,
    Property,
    Interior,
    Borders,
    Border,
    Window,
    Hyperlinks
};

const wchar_t* KindName(Kind k);

// The arguments of one call, decoded.
struct Args {
    std::vector<const VARIANT*> positional;
    std::map<std::wstring, const VARIANT*> named;
    const VARIANT* put = nullptr;

    const VARIANT* arg(std::size_t i, const wchar_t* name = nullptr) const {
        if (name) {
            auto it = named.find(name);
            if (it != named.end()) return it->second;
        }
        return i < positional.size() ? positional[i] : nullptr;
    }
};

class Node : public IDispatch {
  public:
    // `a` and `b` are the cell's row and column, or an index.
    Node(Kind kind, int book, int a, int b);
    virtual ~Node();

    Kind kind() const { return kind_; }
    int book() const { return book_; }
    int a() const { return a_; }
    int b() const { return b_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override;

  private:
    LONG refs_ = 1;
    Kind kind_;
    int book_;
    int a_;
    int b_;
};

// A new object with one reference, for the caller.
IDispatch* Make(Kind kind, int book = -1, int a = 0, int b = 0);

// A failure as the application raises it.
HRESULT Raise(EXCEPINFO* info, SCODE scode, const wchar_t* description);
inline constexpr SCODE kApplicationDefined = static_cast<SCODE>(0x800A03EC);  // 1004

// What a member of an object does (stand_in_members.cpp).
HRESULT InvokeMember(Node& self, const std::wstring& member, WORD flags, const Args& args,
                     VARIANT* result, EXCEPINFO* info);

}  // namespace stand_in
