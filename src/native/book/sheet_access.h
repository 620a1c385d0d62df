#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "native/biff/globals.h"
#include "native/book/sheet.h"

namespace xls::book {

class StringTable;

// A workbook stream being loaded and its globals, kept for as long as rows
// of its sheets are read from it on first use.
struct LoadedBook {
    std::vector<std::uint8_t> stream;
    biff::Globals globals;
};

// The loading and writing side of Sheet, kept out of its public interface.
struct SheetAccess {
    // A sheet of a read workbook: its records from the stream, cells and
    // the groups the model regenerates parsed. With `loaded` (which stream
    // and globals then lie in), rows without formulas stay in the stream
    // until asked for.
    static std::unique_ptr<Sheet> load(const Workbook& book, std::span<const std::uint8_t> stream,
                                       const biff::Globals& globals, std::size_t index,
                                       std::shared_ptr<const LoadedBook> loaded = nullptr);
    // An empty worksheet as a new workbook has it.
    static std::unique_ptr<Sheet> blank(const Workbook& book, std::string name, bool active);

    static void rename(Sheet& sheet, std::string name) { sheet.name_ = std::move(name); }
    static const SheetLayout& layout(const Sheet& sheet) { return *sheet.layout_; }
    static SheetLayout& layout(Sheet& sheet) { return *sheet.layout_; }

    // BookError when the sheet holds anything past the binary grid that a
    // binary workbook would lose: cells, rows, merged ranges, links.
    static void requireBinaryGrid(const Sheet& sheet);
    // Appends the sheet's substream, BOF to EOF. active: the sheet is the
    // workbook's active one (WINDOW2 fPaged); requireBinaryGrid first.
    static void write(std::vector<std::uint8_t>& out, const Sheet& sheet,
                      const StringTable& strings, bool active);
    // At least the size write will append, give or take a little: room
    // reserved and never written costs no memory, a buffer regrown and
    // copied costs it twice.
    static std::size_t sizeHint(const Sheet& sheet);
};

}  // namespace xls::book
