#include "stand_in_model.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <sstream>

#include "os/win32/wide_text.h"

namespace stand_in {

namespace {

using mokuji::os::win::Utf8;
using mokuji::os::win::Wide;

std::vector<std::wstring> fields(const std::wstring& line) {
    std::vector<std::wstring> out;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find(L'\t', start);
        out.push_back(line.substr(start, tab - start));
        if (tab == std::wstring::npos) return out;
        start = tab + 1;
    }
}

int number(const std::wstring& s) {
    return static_cast<int>(std::wcstol(s.c_str(), nullptr, 10));
}

}  // namespace

std::wstring Book::fileName() const {
    std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

int Model::find(const std::wstring& p) const {
    for (std::size_t i = 0; i < books.size(); ++i) {
        if (CompareStringOrdinal(books[i].path.c_str(), -1, p.c_str(), -1, TRUE) == CSTR_EQUAL)
            return static_cast<int>(i);
    }
    return -1;
}

Model ReadDescription(const std::wstring& path) {
    Model m;
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string raw;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        auto f = fields(Wide(raw));
        const std::wstring& kind = f[0];
        Book* book = m.books.empty() ? nullptr : &m.books.back();
        if (kind == L"log" && f.size() >= 2) {
            m.logPath = f[1];
        } else if (kind == L"book" && f.size() >= 2) {
            m.books.push_back({f[1], {}, {}, {}});
        } else if (kind == L"name" && f.size() >= 4 && book) {
            book->names.push_back({f[1], number(f[2]), number(f[3]), true});
        } else if (kind == L"constname" && f.size() >= 2 && book) {
            book->names.push_back({f[1], 0, 0, false});
        } else if (kind == L"cell" && f.size() >= 4 && book) {
            book->cells[{number(f[1]), number(f[2])}] = f[3];
        } else if (kind == L"prop" && f.size() >= 4 && book) {
            book->properties[number(f[1])] = {number(f[2]), f[3]};
        } else if (kind == L"fail" && f.size() >= 2) {
            m.failing.insert(f[1]);
        } else if (kind == L"vanish" && f.size() >= 2) {
            m.vanishing.insert(f[1]);
        }
    }
    return m;
}

void AppendLog(const Model& model, const std::wstring& line) {
    if (model.logPath.empty()) return;
    FILE* f = _wfopen(model.logPath.c_str(), L"ab");
    if (!f) return;
    std::string text = Utf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

}  // namespace stand_in
