#include "native/xlsx/sheet_cells.h"

#include <algorithm>
#include <cmath>

#include "native/formula/a1_notation.h"
#include "native/formula/area.h"
#include "native/xlsx/cell_text.h"
#include "native/xlsx/rich_text.h"
#include "native/xlsx/xlsx_error.h"
#include "native/zip/zip_archive.h"

namespace xls::xlsx {

namespace {

// A large sheet part is streamed, so its size costs time, not memory; only
// the cells kept on the way to the ones asked for cost memory.
constexpr std::uint64_t kMaxPartBytes = 4ull << 30;
// Read whole, a part costs about a quarter of what streaming it costs, but
// all of it: a streamed sheet stops at the cells asked for, which in a
// questionnaire sit at the top. Up to this size the whole part costs a
// fraction of a millisecond.
constexpr std::uint64_t kWholeSheetBytes = 128u << 10;
constexpr std::size_t kMaxKeptCells = 4'000'000;

// "AB12" into a 0-based column and row; nullopt when it is no cell.
std::optional<std::pair<std::uint32_t, std::uint32_t>> cellPosition(std::string_view ref) {
    std::uint32_t col = 0, row = 0;
    std::size_t i = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 3)
        col = col * 26 + static_cast<std::uint32_t>(ref[i++] - 'A' + 1);
    std::size_t digitsAt = i;
    while (i < ref.size() && ref[i] >= '0' && ref[i] <= '9' && i - digitsAt < 7)
        row = row * 10 + static_cast<std::uint32_t>(ref[i++] - '0');
    if (col == 0 || row == 0 || i == digitsAt || i != ref.size()) return std::nullopt;
    return std::pair{col - 1, row - 1};
}

std::optional<std::uint32_t> rowNumber(std::string_view text) {
    auto v = numberOf(text);
    if (!v || *v < 1 || *v > 1048576 || *v != static_cast<std::uint32_t>(*v)) return std::nullopt;
    return static_cast<std::uint32_t>(*v) - 1;
}

}  // namespace

// The part's parser, and what it is in the middle of.
class SheetCells::Reader : public xml::Handler {
  public:
    Reader(SheetCells& owner, const Package& package, const std::string& part)
        : owner_(owner), parser_(package, part, kMaxPartBytes, *this, kWholeSheetBytes) {}

    // Parses until a row after `row` starts (or every row, when the part
    // turned out not to be in order) or the sheet data ends.
    void advanceBeyond(std::uint32_t row) {
        target_ = row;
        if (parser_.run()) owner_.done_ = true;
    }

    void startElement(const xml::StartTag& tag) override {
        std::string_view e = tag.local;
        if (!sawRoot_) {
            // A relationship pointing at the workbook or another part would
            // otherwise read as a sheet without cells.
            sawRoot_ = true;
            if (e != "worksheet")
                throw XlsxError("part " + owner_.part_ + " is a " + std::string(e) +
                                ", not a worksheet");
        }
        if (inString_) {
            string_.start(e);
        } else if (e == "row") {
            auto r = tag.attribute("r");
            std::uint32_t row = r ? rowNumber(*r).value_or(nextRow_) : nextRow_;
            if (row < nextRow_) owner_.ordered_ = false;
            nextRow_ = row + 1;
            row_ = row;
            col_ = -1;
            owner_.frontier_ = std::max(owner_.frontier_, row);
            if (row > target_ && owner_.ordered_) parser_.pause();
        } else if (e == "c") {
            startCell(tag);
        } else if (inCell_ && e == "v") {
            inValue_ = true;
            value_.clear();
            hasValue_ = true;
        } else if (inCell_ && e == "is") {
            inString_ = true;
            hasValue_ = true;
        } else if (e == "sheetData") {
            inData_ = true;
        }
    }

    void endElement(std::string_view, std::string_view e) override {
        if (inString_) {
            if (e == "is") {
                inString_ = false;
                value_ = string_.take();
            } else {
                string_.end(e);
            }
        } else if (e == "v") {
            inValue_ = false;
        } else if (e == "c") {
            endCell();
        } else if (e == "sheetData" && inData_) {
            // Nothing after the cells is read: merged areas, formatting,
            // drawings.
            owner_.done_ = true;
            parser_.pause();
        }
    }

    void text(std::string_view t) override {
        if (inString_) {
            string_.text(t);
        } else if (inValue_) {
            value_ += t;
        }
    }

  private:
    void startCell(const xml::StartTag& tag) {
        inCell_ = true;
        hasValue_ = false;
        value_.clear();
        std::uint32_t row = row_, col = static_cast<std::uint32_t>(col_ + 1);
        if (auto r = tag.attribute("r")) {
            if (auto at = cellPosition(*r)) std::tie(col, row) = *at;
        }
        cellRow_ = row;
        col_ = static_cast<std::int64_t>(col);
        type_ = std::string(tag.attribute("t").value_or("n"));
        auto s = tag.attribute("s");
        auto xf = s ? numberOf(*s) : std::nullopt;
        xf_ = xf && *xf >= 0 && *xf <= 0xFFFF ? static_cast<std::uint16_t>(*xf) : 0;
    }

    void endCell() {
        inCell_ = false;
        if (!hasValue_ || cellRow_ > static_cast<std::uint32_t>(owner_.grid_.lastRow) ||
            col_ > owner_.grid_.lastCol)
            return;
        SheetCell cell;
        cell.row = cellRow_;
        cell.col = static_cast<std::uint16_t>(col_);
        cell.xf = xf_;
        // An empty value is an empty cell, as other readers take it; a
        // value that is not what its type says is damage, not a blank.
        if (value_.empty() && type_ != "str" && type_ != "inlineStr") return;
        if (type_ == "s") {
            auto index = numberOf(value_);
            if (!index || *index < 0 || *index > 0xFFFFFFFF || *index != std::floor(*index))
                throw damagedValue("a shared string index");
            cell.kind = SheetCell::Kind::SharedString;
            cell.index = static_cast<std::uint32_t>(*index);
        } else if (type_ == "str" || type_ == "inlineStr") {
            cell.kind = SheetCell::Kind::Text;
            cell.index = static_cast<std::uint32_t>(owner_.texts_.size());
            owner_.texts_.push_back(type_ == "str" ? unescapedText(value_) : std::move(value_));
        } else if (type_ == "b") {
            cell.kind = SheetCell::Kind::Boolean;
            cell.code = value_ == "1" || value_ == "true";
        } else if (type_ == "e") {
            cell.kind = SheetCell::Kind::Error;
            cell.code = errorCode(value_);
        } else if (type_ == "d") {
            auto date = cellSerialOfIso(value_, owner_.date1904_);
            if (!date) throw damagedValue("a date");
            cell.number = *date;
        } else {
            auto number = numberOf(value_);
            if (!number) throw damagedValue("a number");
            cell.number = *number;
        }
        auto& cells = owner_.cells_;
        if (!cells.empty() && (cells.back().row > cell.row ||
                               (cells.back().row == cell.row && cells.back().col >= cell.col)))
            owner_.ordered_ = false;
        if (cells.size() >= kMaxKeptCells)
            throw XlsxRefused("sheet has more than " + std::to_string(kMaxKeptCells) +
                              " cells to read");
        cells.push_back(cell);
    }

    XlsxError damagedValue(const char* what) const {
        return XlsxError("part " + owner_.part_ + ": cell " +
                         formula::columnName(static_cast<std::int32_t>(col_)) +
                         std::to_string(cellRow_ + 1) + " holds no " + what);
    }

    SheetCells& owner_;
    PartParser parser_;
    std::uint32_t target_ = 0;
    std::uint32_t nextRow_ = 0;
    std::uint32_t row_ = 0;
    std::uint32_t cellRow_ = 0;
    std::int64_t col_ = -1;
    std::uint16_t xf_ = 0;
    std::string type_;
    std::string value_;
    RichText string_;
    bool sawRoot_ = false;
    bool inData_ = false;
    bool inCell_ = false;
    bool inValue_ = false;
    bool inString_ = false;
    bool hasValue_ = false;
};

SheetCells::SheetCells(const Package& package, std::string part, bool date1904,
                       const formula::Grid& grid)
    : package_(package), part_(std::move(part)), date1904_(date1904), grid_(grid) {}

SheetCells::~SheetCells() = default;

void SheetCells::advance(std::uint32_t row) {
    if (failure_) std::rethrow_exception(failure_);
    try {
        if (!done_ && !reader_) reader_ = std::make_unique<Reader>(*this, package_, part_);
        // Out of order, a later row may come back: only the whole part
        // answers then.
        while (!done_ && (frontier_ <= row || !ordered_)) reader_->advanceBeyond(row);
    } catch (...) {
        reader_.reset();
        try {
            rethrowForPart(part_);
        } catch (...) {
            // A part that failed once fails the same way again.
            failure_ = std::current_exception();
            throw;
        }
    }
    if (done_) reader_.reset();
}

std::optional<SheetCell> SheetCells::find(std::uint32_t row, std::uint16_t col) {
    advance(row);
    if (auto found = held(row, col)) return found;
    // Rows may come in any order (other readers take them so): a cell is
    // absent only once the whole part has been read without it.
    advance(0xFFFFFFFF);
    return held(row, col);
}

std::optional<SheetCell> SheetCells::held(std::uint32_t row, std::uint16_t col) const {
    auto before = [](const SheetCell& c, std::pair<std::uint32_t, std::uint16_t> at) {
        return std::pair{c.row, c.col} < at;
    };
    if (ordered_) {
        auto it = std::lower_bound(cells_.begin(), cells_.end(), std::pair{row, col}, before);
        if (it != cells_.end() && it->row == row && it->col == col) return *it;
        return std::nullopt;
    }
    // A later cell for the same place replaces an earlier one.
    for (auto it = cells_.rbegin(); it != cells_.rend(); ++it)
        if (it->row == row && it->col == col) return *it;
    return std::nullopt;
}

std::vector<SheetCell> SheetCells::all() {
    advance(0xFFFFFFFF);
    std::vector<SheetCell> out = cells_;
    if (!ordered_) {
        // Where two cells share a place the later one stands.
        std::stable_sort(out.begin(), out.end(), [](const SheetCell& a, const SheetCell& b) {
            return std::pair{a.row, a.col} < std::pair{b.row, b.col};
        });
        std::vector<SheetCell> unique;
        for (const auto& c : out) {
            if (!unique.empty() && unique.back().row == c.row && unique.back().col == c.col)
                unique.back() = c;
            else
                unique.push_back(c);
        }
        out = std::move(unique);
    }
    return out;
}

}  // namespace xls::xlsx
