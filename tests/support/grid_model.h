#pragma once

// The state behind fake_grid_application.h: workbooks as grids of cells with
// the formatting, names, hyperlinks and saves that a writer asks for, and
// "files" that saving and opening copy workbooks to and from.

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "automation/automation_error.h"
#include "automation/variant.h"

namespace fake::grid {

using automation::AutomationError;
using automation::Variant;

struct Cell {
    Variant entered;  // as handed to FormulaR1C1
    Variant value;    // what typing it would leave in the cell
    bool formula = false;
};

inline bool numericText(const std::string& s) {
    if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size();
}

// Typed input as the application takes it, as far as lists need: a leading
// apostrophe marks text and is not kept, "=" starts a formula and so do "+",
// "-" and "@" unless a number follows, numbers become numbers.
inline Cell typedEntry(const Variant& entered) {
    Cell c{entered, entered, false};
    if (auto i = entered.get<std::int32_t>()) c.value = Variant(static_cast<double>(*i));
    if (auto i = entered.get<std::int16_t>()) c.value = Variant(static_cast<double>(*i));
    const std::string* s = entered.get<std::string>();
    if (!s || s->empty()) return c;
    if ((*s)[0] == '\'') {
        c.value = Variant(s->substr(1));
    } else if (numericText(*s)) {
        c.value = Variant(std::strtod(s->c_str(), nullptr));
    } else if ((*s)[0] == '=' || (*s)[0] == '+' || (*s)[0] == '-' || (*s)[0] == '@') {
        c.formula = true;
    }
    return c;
}

inline std::string columnLetters(int column) {
    std::string s;
    for (; column > 0; column = (column - 1) / 26)
        s.insert(s.begin(), char('A' + (column - 1) % 26));
    return s;
}

inline std::string a1(int row, int column) {
    return columnLetters(column) + std::to_string(row);
}

struct Hyperlink {
    std::string address;
    std::string text;
};

struct Sheet {
    std::string name;
    std::map<std::pair<int, int>, Cell> cells;
    std::map<std::pair<int, int>, Hyperlink> hyperlinks;
    // Formatting by range address ("B:B", "4:5", "B3:E3", "Cells"), e.g.
    // formats["B:B"]["ColumnWidth"] == "4".
    std::map<std::string, std::map<std::string, std::string>> formats;

    const Cell* at(int row, int column) const {
        auto it = cells.find({row, column});
        return it == cells.end() ? nullptr : &it->second;
    }
    Variant value(int row, int column) const {
        const Cell* c = at(row, column);
        return c ? c->value : Variant();
    }
    int lastRow() const { return cells.empty() ? 0 : cells.rbegin()->first.first; }

    // Rows first..last go; the rows below move up.
    void deleteRows(int first, int last) {
        int n = last - first + 1;
        auto shift = [&](auto& grid) {
            std::remove_reference_t<decltype(grid)> kept;
            for (auto& [key, v] : grid) {
                if (key.first < first) kept.emplace(key, v);
                if (key.first > last) kept.emplace(std::make_pair(key.first - n, key.second), v);
            }
            grid = std::move(kept);
        };
        shift(cells);
        shift(hyperlinks);
    }
};

struct Book {
    std::string fullName;
    std::vector<std::shared_ptr<Sheet>> sheets;
    std::map<std::string, std::string> names;  // name -> "=Sheet!R<row>C<column>"
    std::shared_ptr<Sheet> active;
    std::set<const Sheet*> selected;

    std::shared_ptr<Sheet> sheet(const std::string& name) const {
        for (auto& s : sheets)
            if (s->name == name) return s;
        return nullptr;
    }
    std::shared_ptr<Book> clone() const {
        auto b = std::make_shared<Book>(*this);
        b->sheets.clear();
        b->selected.clear();
        for (auto& s : sheets) {
            b->sheets.push_back(std::make_shared<Sheet>(*s));
            if (s == active) b->active = b->sheets.back();
            if (selected.count(s.get())) b->selected.insert(b->sheets.back().get());
        }
        return b;
    }
};

struct World {
    // Saved workbooks by full name; opening one works on a copy.
    std::map<std::string, std::shared_ptr<Book>> files;
    std::vector<std::shared_ptr<Book>> open;
    std::shared_ptr<Book> active;
    // Members (as "Workbook.SaveAs", "Names.Add") that fail when called.
    std::set<std::string> failing;
    // Application-level calls in order: opens, adds, alerts, sheet
    // selections and deletions, saves.
    std::vector<std::string> log;
    int sheetRows = 65536;
    int sheetsInNewWorkbook = 3;
    int booksAdded = 0;

    void check(const std::string& member) const {
        if (failing.count(member))
            throw AutomationError(automation::errnum::kApplicationDefined, member + " failed");
    }
    bool exists(const std::string& path) const { return files.count(path) != 0; }
};

}  // namespace fake::grid
