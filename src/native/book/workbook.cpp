#include "native/book/workbook.h"

#include <algorithm>

#include "native/book/blank_stream.h"
#include "native/book/layout.h"
#include "native/book/sheet_access.h"
#include "native/format/builtin_formats.h"
#include "native/text/ascii.h"
#include "native/text/unicode.h"

namespace xls::book {

namespace {

// Upper case for name comparisons: ASCII and full-width Latin letters, as
// the application folds sheet and defined names.
std::u16string folded(std::string_view utf8) {
    std::u16string u = text::utf8ToUtf16(utf8);
    for (char16_t& c : u) {
        c = text::asciiUpper(c);
        if (c >= 0xFF41 && c <= 0xFF5A) c = static_cast<char16_t>(c - 0x20);
    }
    return u;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    return folded(a) == folded(b);
}

Workbook::Workbook() : layout_(std::make_unique<GlobalsLayout>()) {}
// Sheets point back at their workbook (for the format count), so a move
// hands them the new address.
Workbook::Workbook(Workbook&& o) noexcept
    : sheets_(std::move(o.sheets_)),
      activeSheet_(o.activeSheet_),
      codepage_(o.codepage_),
      date1904_(o.date1904_),
      grid_(o.grid_),
      fonts_(std::move(o.fonts_)),
      formats_(std::move(o.formats_)),
      xfs_(std::move(o.xfs_)),
      recentStyles_(o.recentStyles_),
      names_(std::move(o.names_)),
      layout_(std::move(o.layout_)) {
    for (auto& s : sheets_) s->book_ = this;
}

Workbook& Workbook::operator=(Workbook&& o) noexcept {
    if (this != &o) {
        sheets_ = std::move(o.sheets_);
        activeSheet_ = o.activeSheet_;
        codepage_ = o.codepage_;
        date1904_ = o.date1904_;
        grid_ = o.grid_;
        fonts_ = std::move(o.fonts_);
        formats_ = std::move(o.formats_);
        xfs_ = std::move(o.xfs_);
        recentStyles_ = o.recentStyles_;
        names_ = std::move(o.names_);
        layout_ = std::move(o.layout_);
        for (auto& s : sheets_) s->book_ = this;
    }
    return *this;
}
Workbook::~Workbook() = default;

Workbook Workbook::createBlank(const formula::Grid& grid) {
    Workbook book = fromStream(blankWorkbookStream(), false);
    book.grid_ = grid;
    return book;
}

Sheet& Workbook::sheet(std::size_t index) {
    return const_cast<Sheet&>(static_cast<const Workbook&>(*this).sheet(index));
}

const Sheet& Workbook::sheet(std::size_t index) const {
    if (index >= sheets_.size())
        throw BookError("sheet " + std::to_string(index) + " of " + std::to_string(sheets_.size()));
    return *sheets_[index];
}

std::optional<std::size_t> Workbook::findSheet(std::string_view name) const {
    const std::u16string key = folded(name);
    for (std::size_t i = 0; i < sheets_.size(); ++i)
        if (folded(sheets_[i]->name()) == key) return i;
    return std::nullopt;
}

Sheet& Workbook::sheet(std::string_view name) {
    auto i = findSheet(name);
    if (!i) throw BookError("no sheet named \"" + std::string(name) + "\"");
    return *sheets_[*i];
}

void Workbook::checkSheetName(std::string_view name, std::optional<std::size_t> except) const {
    const std::size_t length = text::utf16Length(name);
    if (length == 0 || length > 31)
        throw BookError("sheet name \"" + std::string(name) + "\" must have 1 to 31 characters");
    if (name.find_first_of(":\\/?*[]") != std::string_view::npos)
        throw BookError("sheet name \"" + std::string(name) +
                        "\" contains one of the characters : \\ / ? * [ ]");
    if (name.front() == '\'' || name.back() == '\'')
        throw BookError("sheet name \"" + std::string(name) +
                        "\" must not begin or end with an apostrophe");
    auto other = findSheet(name);
    if (other && other != except)
        throw BookError("a sheet named \"" + std::string(name) + "\" exists already");
}

void Workbook::renameSheet(std::size_t index, std::string name) {
    sheet(index);
    checkSheetName(name, index);
    SheetAccess::rename(*sheets_[index], std::move(name));
}

Sheet& Workbook::addSheet(std::string name, std::optional<std::size_t> before) {
    checkSheetName(name, std::nullopt);
    const std::size_t at = before ? *before : sheets_.size();
    if (at > sheets_.size())
        throw BookError("cannot insert before sheet " + std::to_string(at) + " of " +
                        std::to_string(sheets_.size()));
    if (at < sheets_.size())
        throw BookError("inserting a sheet before another is not supported yet");
    auto stream = blankSheetStream(false);
    biff::Globals g;
    biff::SheetEntry e;
    e.name = name;
    g.sheets.push_back(e);
    auto sheet = SheetAccess::load(*this, stream, g, 0);
    sheets_.push_back(std::move(sheet));
    return *sheets_.back();
}

void Workbook::setActiveSheet(std::size_t index) {
    sheet(index);
    if (sheets_[index]->visibility() != biff::Visibility::Visible)
        throw BookError("a hidden sheet cannot be the active one");
    activeSheet_ = index;
    for (std::size_t i = 0; i < sheets_.size(); ++i) sheets_[i]->setTabSelected(i == index);
}

std::string Workbook::numberFormatCode(std::uint16_t id) const {
    auto it = formats_.find(id);
    if (it != formats_.end()) return it->second;
    return std::string(format::builtinFormatCode(id));
}

namespace {

void checkFormatCode(const std::string& code) {
    if (code.empty()) throw BookError("an empty number format code");
    if (text::utf16Length(code) > 255)
        throw BookError("number format code longer than 255 characters");
}

}  // namespace

std::uint16_t Workbook::addNumberFormat(std::string code) {
    checkFormatCode(code);
    for (const auto& [id, c] : formats_)
        if (c == code) return id;
    // Built-in formats the application knows without a FORMAT record.
    for (std::uint16_t id = 0; id < 164; ++id) {
        if (formats_.count(id) != 0) continue;
        const bool defined =
            (id <= 4) || (id >= 9 && id <= 22) || (id >= 37 && id <= 40) || (id >= 45 && id <= 49);
        if (defined && format::builtinFormatCode(id) == code) return id;
    }
    return newNumberFormat(std::move(code));
}

std::uint16_t Workbook::addExplicitNumberFormat(std::string code) {
    checkFormatCode(code);
    // A record under a built-in id is read as that built-in format.
    for (const auto& [id, c] : formats_)
        if (id >= 164 && c == code) return id;
    return newNumberFormat(std::move(code));
}

std::uint16_t Workbook::newNumberFormat(std::string code) {
    std::uint16_t id = 164;
    if (!formats_.empty())
        id = std::max<std::uint16_t>(164, static_cast<std::uint16_t>(formats_.rbegin()->first + 1));
    if (id < 164 || id == 0xFFFF) throw BookError("no number format id is left");
    formats_.emplace(id, std::move(code));
    return id;
}

const CellStyle& Workbook::style(std::uint16_t xf) const {
    if (xf >= xfs_.size())
        throw BookError("format index " + std::to_string(xf) + " past the " +
                        std::to_string(xfs_.size()) + " cell formats");
    return xfs_[xf];
}

std::uint16_t Workbook::styleIndex(const CellStyle& style) {
    checkCellStyle(style);
    // A list's cells ask for the same few formats row after row, and a list
    // holds a hundred and more: the latest answers are tried first. Each is
    // still the first equal one, as nothing before it has changed since.
    for (std::uint16_t xf : recentStyles_)
        if (xf != 0 && xf < xfs_.size() && xfs_[xf] == style) return xf;
    std::uint16_t found = 0;
    for (std::size_t i = 15; i < xfs_.size() && found == 0; ++i)
        if (xfs_[i] == style) found = static_cast<std::uint16_t>(i);
    if (found == 0) found = appendStyle(style);
    std::copy_backward(recentStyles_.begin(), recentStyles_.end() - 1, recentStyles_.end());
    recentStyles_[0] = found;
    return found;
}

std::uint16_t Workbook::appendStyle(const CellStyle& style) {
    checkCellStyle(style);
    if (xfs_.size() >= kMaxXfs)
        throw BookError("the workbook holds " + std::to_string(kMaxXfs) +
                        " cell formats, the most it can");
    xfs_.push_back(style);
    return static_cast<std::uint16_t>(xfs_.size() - 1);
}

void Workbook::redefineStyle(std::uint16_t xf, const CellStyle& style) {
    checkCellStyle(style);
    if (xf < 15 || xf >= xfs_.size() || xfs_[xf].isStyle)
        throw BookError("format " + std::to_string(xf) + " is no cell format to redefine");
    xfs_[xf] = style;
    // It may now equal a format after it.
    recentStyles_ = {};
}

void Workbook::checkCellStyle(const CellStyle& style) const {
    if (style.isStyle) throw BookError("a cell format was expected, not a style format");
    if (style.parent >= xfs_.size() || !xfs_[style.parent].isStyle)
        throw BookError("parent " + std::to_string(style.parent) + " is no style format");
    // Font index 4 does not exist; past it, index i is fonts[i - 1].
    const std::size_t fontCount = fonts_.size() + (fonts_.size() >= 4 ? 1 : 0);
    if (style.font == 4 || style.font >= fontCount)
        throw BookError("font " + std::to_string(style.font) + " does not exist");
}

std::uint16_t Workbook::appendFont(biff::Font font) {
    // The format counts fonts in 16 bits and never uses number 4.
    if (fonts_.size() >= 0xFFFE) throw BookError("the workbook holds the most fonts it can");
    fonts_.push_back(std::move(font));
    const std::size_t index = fonts_.size() - 1;
    return static_cast<std::uint16_t>(index < 4 ? index : index + 1);
}

}  // namespace xls::book
