#include "native/formula/name_formula_compiler.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "native/formula/a1_notation.h"
#include "native/formula/a1_reference.h"
#include "native/formula/area.h"
#include "native/formula/ptg.h"
#include "native/formula/sheet_name.h"
#include "native/formula/sheet_ref_token.h"
#include "native/text/ascii.h"

namespace xls::formula {

namespace {

constexpr std::uint8_t kRefError = 0x17;
// The .xls grid's last row and column, where an area reaching past them is
// cut.
constexpr std::string_view kSmallLastRow = "65536";
constexpr std::string_view kSmallLastCol = "IV";

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// The text cut at the commas that stand outside quotes, parentheses and
// brackets (a table's "[[#Data],[Column]]").
std::optional<std::vector<std::string_view>> splitUnion(std::string_view text) {
    std::vector<std::string_view> terms;
    int parens = 0, brackets = 0;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (brackets > 0) {
            // Inside a table's brackets a quote escapes the next character.
            if (c == '\'') {
                ++i;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            }
        } else if (c == '\'') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '[') {
            ++brackets;
        } else if (c == '(') {
            ++parens;
        } else if (c == ')' || c == ']') {
            if (c == ']' || --parens < 0) return std::nullopt;
        } else if (parens == 0 && c == ',') {
            terms.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (quoted || parens != 0 || brackets != 0) return std::nullopt;
    terms.push_back(text.substr(start));
    return terms;
}

// An area whose far corner lies past the .xls grid ("A1:XFD1048576",
// "$B$1:$B$1048575"), cut at the grid's end; other texts stay as they are.
// Its near corner must lie on the grid: nothing of it could be read else.
std::string clampToGrid(std::string_view ref) {
    std::string out(ref);
    auto colon = out.find(':');
    if (colon == std::string::npos) return out;
    std::string_view last = std::string_view(out).substr(colon + 1);
    std::string clamped;
    std::size_t i = 0;
    if (i < last.size() && last[i] == '$') clamped += last[i++];
    std::size_t letters = i;
    while (i < last.size() &&
           ((last[i] >= 'A' && last[i] <= 'Z') || (last[i] >= 'a' && last[i] <= 'z')))
        ++i;
    std::string_view col = last.substr(letters, i - letters);
    const bool pastLastCol = !col.empty() && !columnIndex(col);
    clamped += pastLastCol ? std::string(kSmallLastCol) : std::string(col);
    if (i < last.size() && last[i] == '$') clamped += last[i++];
    std::string_view digits = last.substr(i);
    if (digits.empty() || digits.size() > 7 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return out;
    const bool pastLastRow = digits.size() > 5 || std::stol(std::string(digits)) > 65536;
    clamped += pastLastRow ? std::string(kSmallLastRow) : std::string(digits);
    return out.substr(0, colon + 1) + clamped;
}

// A corner "$XFD$1048576" within the larger grid (columns A..XFD, rows up
// to 1,048,576), and whether it lies past the .xls grid.
std::optional<bool> cornerPastTheGrid(std::string_view corner) {
    std::size_t i = 0;
    if (i < corner.size() && corner[i] == '$') ++i;
    const std::size_t letters = i;
    while (i < corner.size() && std::isalpha(static_cast<unsigned char>(corner[i]))) ++i;
    const std::string_view col = corner.substr(letters, i - letters);
    if (i < corner.size() && corner[i] == '$') ++i;
    const std::string_view digits = corner.substr(i);
    if (col.empty() || col.size() > 3 || digits.empty() || digits.size() > 7 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos || digits[0] == '0')
        return std::nullopt;
    std::int32_t column = 0;
    for (char c : col) column = column * 26 + (text::asciiUpper(c) - 'A' + 1);
    const long row = std::stol(std::string(digits));
    if (column > 16384 || row > 1048576) return std::nullopt;
    return column > kLastCol + 1 || row > kLastRow + 1;
}

}  // namespace

bool referencesPastTheGrid(std::string_view text) {
    if (!text.empty() && text.front() == '=') text.remove_prefix(1);
    if (const std::size_t bang = text.rfind('!'); bang != std::string_view::npos)
        text.remove_prefix(bang + 1);
    const std::size_t colon = text.find(':');
    const std::string_view first = text.substr(0, colon);
    const auto near = cornerPastTheGrid(first);
    if (!near) return false;
    if (colon == std::string_view::npos) return *near;
    const auto far = cornerPastTheGrid(text.substr(colon + 1));
    return far && (*near || *far);
}

namespace {

// One past the quote that closes the quoted name prefix starts with; npos
// when it does not start with a closed one.
std::size_t quotedUpTo(std::string_view prefix) {
    if (prefix.empty() || prefix.front() != '\'') return std::string_view::npos;
    for (std::size_t i = 1; i < prefix.size(); ++i) {
        if (prefix[i] != '\'') continue;
        if (i + 1 < prefix.size() && prefix[i + 1] == '\'') {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}

// The sheet prefix before '!': one sheet or a run "First:Last", either
// possibly quoted as a whole ('First:Last') or each on its own.
std::optional<std::pair<std::string, std::string>> sheetRun(std::string_view prefix) {
    if (prefix.empty() || prefix.front() == '[') return std::nullopt;
    if (quotedUpTo(prefix) == prefix.size()) {
        std::string inside = unquotedSheetName(prefix);
        if (inside.empty() || inside.front() == '[') return std::nullopt;
        // A run quoted as a whole: 'Sheet 1:Sheet 3'. Sheet names cannot
        // hold ':', so the colon splits the run.
        auto colon = inside.find(':');
        if (colon == std::string::npos) return std::pair{inside, inside};
        return std::pair{inside.substr(0, colon), inside.substr(colon + 1)};
    }
    // Each end on its own, quoted or not.
    bool quoted = false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (prefix[i] == '\'') quoted = !quoted;
        if (!quoted && prefix[i] == ':') {
            auto first = unquotedSheetName(prefix.substr(0, i));
            auto last = unquotedSheetName(prefix.substr(i + 1));
            if (first.empty() || last.empty()) return std::nullopt;
            return std::pair{first, last};
        }
    }
    if (prefix.find('\'') != std::string_view::npos) return std::nullopt;
    return std::pair{std::string(prefix), std::string(prefix)};
}

// Where the sheet prefix ends: the first '!' outside quotes.
std::size_t bangOf(std::string_view term) {
    bool quoted = false;
    for (std::size_t i = 0; i < term.size(); ++i) {
        if (term[i] == '\'') quoted = !quoted;
        if (!quoted && term[i] == '!') return i;
    }
    return std::string_view::npos;
}

bool compileTerm(std::string_view term, const NameCompileContext& context,
                 std::vector<std::uint8_t>& out);

// Each term's tokens, and a union token after each but the first.
bool compileUnion(const std::vector<std::string_view>& terms, const NameCompileContext& context,
                  std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < terms.size(); ++i) {
        if (!compileTerm(terms[i], context, out)) return false;
        if (i > 0) out.push_back(ptg::kUnion);
    }
    return true;
}

bool compileTerm(std::string_view term, const NameCompileContext& context,
                 std::vector<std::uint8_t>& out) {
    term = trim(term);
    while (term.size() >= 2 && term.front() == '(' && term.back() == ')') {
        auto inner = term.substr(1, term.size() - 2);
        auto parts = splitUnion(inner);
        if (!parts) return false;
        if (parts->size() > 1) return compileUnion(*parts, context, out);
        term = trim(inner);
    }
    if (term == "#REF!") {
        out.push_back(ptg::kErr);
        out.push_back(kRefError);
        return true;
    }
    auto bang = bangOf(term);
    if (bang == std::string_view::npos) {
        // A table's part: Table1[Column], Table1[#All], Table1[[#Data],[Column]];
        // a bare name is a defined name, else a table's data.
        auto open = term.find('[');
        const bool part = open != std::string_view::npos && open > 0 && term.back() == ']';
        if (!part && context.name) {
            if (auto index = context.name(term)) {
                out.push_back(ptg::kName);
                put16(out, *index & 0xFFFF);
                put16(out, *index >> 16);
                return true;
            }
        }
        if (!context.table || !context.sheets) return false;
        auto found = part ? context.table(term.substr(0, open),
                                          term.substr(open + 1, term.size() - open - 2))
                          : context.table(term, "");
        if (!found) return false;
        auto ixti = context.sheets(found->sheet, found->sheet);
        if (!ixti) return false;
        appendSheetRef(out, *ixti, found->area, false);
        return true;
    }
    auto run = sheetRun(term.substr(0, bang));
    if (!run || !context.sheets) return false;
    auto ixti = context.sheets(run->first, run->second);
    if (!ixti) return false;
    auto rest = term.substr(bang + 1);
    if (rest == "#REF!") {
        out.push_back(ptg::kRefErr3d);
        put16(out, *ixti);
        put16(out, 0);
        put16(out, 0);
        return true;
    }
    auto ref = parseA1Reference(rest, context.grid);
    if (!ref) ref = parseA1Reference(clampToGrid(rest));
    if (!ref || ref->sheet || ref->area.firstRow > kLastRow) return false;
    Area& a = ref->area;
    a.lastRow = std::min(a.lastRow, kLastRow);
    appendSheetRef(
        out, *ixti, a,
        a.firstRow == a.lastRow && a.firstCol == a.lastCol && rest.find(':') == rest.npos);
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> compileNameFormula(std::string_view text,
                                                            const NameCompileContext& context) {
    text = trim(text);
    if (!text.empty() && text.front() == '=') text.remove_prefix(1);
    auto terms = splitUnion(text);
    if (!terms || text.empty()) return std::nullopt;
    std::vector<std::uint8_t> out;
    if (!compileUnion(*terms, context, out)) return std::nullopt;
    return out;
}

}  // namespace xls::formula
