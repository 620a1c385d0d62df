#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
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

// One cell of a worksheet. The members are ordered so that a cell packs
// into 64 bytes: a long list holds hundreds of thousands of them.
struct Cell {
    enum class Kind : std::uint8_t { Blank, Number, Text, Boolean, Error, Formula };

    // Number: the value. Formula: the cached result when result is Number.
    double number = 0;
    // Text: the value (UTF-8, at most 32767 UTF-16 units). Formula: the
    // cached result when result is Text.
    std::string text;
    // Formula only: the FORMULA record followed by the STRING, SHRFMLA,
    // ARRAY and TABLE records that belong to it (and their CONTINUEs), each
    // as stored with its 4-byte header. Written back as they are, except
    // that the FORMULA's row, column and xf are set to the cell's, and the
    // anchor rows of its tExp/tTbl token and of a SHRFMLA/ARRAY/TABLE range
    // move with the cell when rows are deleted.
    RawRecords rawRecords;
    std::uint16_t row = 0;  // 0-based
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

static_assert(sizeof(Cell) <= 64 || sizeof(void*) < 8, "a cell outgrew its 64 bytes");

}  // namespace xls::book
