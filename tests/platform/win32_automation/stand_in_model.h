#pragma once

// The workbooks a stand-in automation server pretends to hold, read from a
// description file a test writes, one tab-separated line each:
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

    std::wstring fileName() const;
};

struct Model {
    std::wstring logPath;
    std::vector<Book> books;
    std::vector<std::size_t> open;  // indices into books, in opening order
    std::set<std::wstring> failing;
    std::set<std::wstring> vanishing;

    // The book at `path` (letter case ignored), or -1.
    int find(const std::wstring& path) const;
};

// Reads a description; lines it does not understand are skipped.
Model ReadDescription(const std::wstring& path);

// Appends one line (UTF-8) to the call log.
void AppendLog(const Model& model, const std::wstring& line);

}  // namespace stand_in
