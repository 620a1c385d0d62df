#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xls::book {

// Records kept as stored, held apart from the cell: only formula cells have
// any, and an empty vector in every cell would cost each 24 bytes.
class RawRecords {
  public:
    using Record = std::vector<std::uint8_t>;

    RawRecords() = default;
    RawRecords(const RawRecords& other)
        : records_(other.records_ ? std::make_unique<std::vector<Record>>(*other.records_)
                                  : nullptr) {}
    RawRecords& operator=(const RawRecords& other) {
        if (this != &other) *this = RawRecords(other);
        return *this;
    }
    RawRecords(RawRecords&&) noexcept = default;
    RawRecords& operator=(RawRecords&&) noexcept = default;

    std::size_t size() const { return records_ ? records_->size() : 0; }
    bool empty() const { return size() == 0; }
    void clear() { records_.reset(); }
    void push_back(Record record) {
        if (!records_) records_ = std::make_unique<std::vector<Record>>();
        records_->push_back(std::move(record));
    }
    Record& operator[](std::size_t i) { return (*records_)[i]; }
    const Record& operator[](std::size_t i) const { return (*records_)[i]; }

  private:
    std::unique_ptr<std::vector<Record>> records_;
};

// A cell's text as one allocation of its length and bytes: 8 bytes in the
// cell where a std::string takes 32, and most cells of a list hold none.
class CellText {
  public:
    CellText() = default;
    CellText(std::string_view text) { assign(text); }
    CellText(const CellText& other) { assign(other.view()); }
    CellText& operator=(const CellText& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    CellText(CellText&&) noexcept = default;
    CellText& operator=(CellText&&) noexcept = default;
    CellText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    std::string_view view() const {
        if (!bytes_) return {};
        std::uint32_t size;
        std::memcpy(&size, bytes_.get(), sizeof size);
        return {bytes_.get() + sizeof size, size};
    }
    operator std::string() const { return std::string(view()); }
    bool empty() const { return !bytes_; }
    void clear() { bytes_.reset(); }
    bool operator==(const CellText& other) const { return view() == other.view(); }
    bool operator==(std::string_view text) const { return view() == text; }

  private:
    void assign(std::string_view text) {
        if (text.empty()) {
            bytes_.reset();
            return;
        }
        const auto size = static_cast<std::uint32_t>(text.size());
        auto bytes = std::make_unique_for_overwrite<char[]>(sizeof size + text.size());
        std::memcpy(bytes.get(), &size, sizeof size);
        std::memcpy(bytes.get() + sizeof size, text.data(), text.size());
        bytes_ = std::move(bytes);
    }

    std::unique_ptr<char[]> bytes_;
};

// One cell of a worksheet. The members are ordered so that a cell packs
// into 40 bytes: a long list holds hundreds of thousands of them.
struct Cell {
    enum class Kind : std::uint8_t { Blank, Number, Text, Boolean, Error, Formula };

    // Number: the value. Formula: the cached result when result is Number.
    double number = 0;
    // Text: the value (UTF-8, at most 32767 UTF-16 units). Formula: the
    // cached result when result is Text.
    CellText text;
    // Formula only: the FORMULA record followed by the STRING, SHRFMLA,
    // ARRAY and TABLE records that belong to it (and their CONTINUEs), each
    // as stored with its 4-byte header. Written back as they are, except
    // that the FORMULA's row, column and xf are set to the cell's, and the
    // anchor rows of its tExp/tTbl token and of a SHRFMLA/ARRAY/TABLE range
    // move with the cell when rows are deleted.
    RawRecords rawRecords;
    std::uint32_t row = 0;  // 0-based
    std::uint16_t col = 0;  // 0-based
    std::uint16_t xf = 15;  // index into Workbook::style()
    Kind kind = Kind::Blank;
    // Formula only: the kind of the cached result (Number, Text, Boolean,
    // Error, or Blank for an empty string result kept as Text "").
    Kind result = Kind::Blank;
    // Boolean: 0 or 1. Error: one of biff::cell_error. Formula: the cached
    // Boolean or Error result.
    std::uint8_t code = 0;
};

static_assert(sizeof(Cell) <= 40 || sizeof(void*) < 8, "a cell outgrew its 40 bytes");

}  // namespace xls::book
