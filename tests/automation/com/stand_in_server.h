#pragma once

// A stand-in for the spreadsheet application's automation server, for the
// tests of the late-bound object model: a local server that serves the
// workbooks of a description file through plain IDispatch objects and logs
// every call it receives, one line each:
//
//   <Object>.<Member> <GET|METHOD|PUT> [<positional value>...] [<Name>=<value>...]
//
// The description a test writes, one tab-separated line each:
//
//   log        <path of the call log>
//   book       <full path>                  following lines describe it
//   name       <name> <row> <column>        a name for a first-sheet cell
//   constname  <name>                       a name that refers to no range
//   cell       <row> <column> <value>       a first-sheet cell
//   prop       <index> <type> <value>       a built-in document property
//   fail       <Object.Member>              the member raises error 1004
//   vanish     <Object.Member>              the server process ends there
//
// Values are typed: s:text, i:12, r:1.5, d:38425 (a date serial), b:1,
// e:2023 (a cell error).

#include <windows.h>

#include <oaidl.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace stand_in {

struct DefinedName {
    std::wstring name;
    int row = 0;
    int column = 0;
    bool refersToRange = true;
};

struct Book {
    std::wstring path;
    std::vector<DefinedName> names;
    std::map<std::pair<int, int>, std::wstring> cells;
    std::map<int, std::pair<int, std::wstring>> properties;  // index -> type, value
};

struct Model {
    std::vector<Book> books;
    std::vector<int> open;  // indices into books, in opening order
    bool displayAlerts = true;
};
Model& TheModel();

inline constexpr SCODE kApplicationDefined = static_cast<SCODE>(0x800A03EC);  // 1004

// One call to a member, as the member sees it. An object is of a class (as
// the log names it) and a workbook (-1: the application's active one), with
// a cell's row and column or an index in `a` and `b`.
struct Call {
    const wchar_t* kind;
    int bookIndex;
    int a;
    int b;
    std::vector<const VARIANT*> positional;
    std::map<std::wstring, const VARIANT*> named;
    const VARIANT* put = nullptr;
    VARIANT* result = nullptr;
    EXCEPINFO* info = nullptr;

    // Positional argument i, or the argument called `name`.
    const VARIANT* arg(std::size_t i, const wchar_t* name = nullptr) const;
    // The object's workbook; a call on none fails as the application's does.
    Book& book() const;
    HRESULT object(const wchar_t* kind, int a = 0, int b = 0) const;
    HRESULT workbook(int index) const;
    HRESULT value(const std::wstring& typed) const;
    HRESULT number(long n) const { return value(L"i:" + std::to_wstring(n)); }
    HRESULT fail(const wchar_t* description, SCODE scode = kApplicationDefined) const;
};

bool AsInt(const VARIANT* v, int& out);
bool AsText(const VARIANT* v, std::wstring& out);

// The members of one class that share a behaviour (names blank-separated):
// the class of the object they return, in the caller's workbook, or what
// they do.
struct Member {
    const wchar_t* kind;
    const wchar_t* names;
    const wchar_t* returns;
    HRESULT (*run)(Call&);
};
extern const std::vector<Member> kMembers;  // stand_in_members.cpp

}  // namespace stand_in
