#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native/biff/globals.h"
#include "native/book/book_error.h"
#include "native/book/cell_style.h"
#include "native/book/sheet.h"
#include "native/formula/area.h"

namespace xls::book {

struct GlobalsLayout;

// A defined name as the workbook holds it.
struct Name {
    std::string name;  // built-in names without prefix, as biff::DefinedName
    bool builtin = false;
    bool hidden = false;
    bool isFunction = false;
    std::optional<std::size_t> scope;  // the sheet of a sheet-level name
    std::vector<std::uint8_t> rgce;    // formula tokens (cce bytes)
};

// A workbook that can be changed and written: the sheets with their cells,
// the cell formats, number formats and defined names, over the records read
// from a file (or those of a new workbook). Records the model does not
// interpret are written back byte for byte, in their place.
class Workbook {
  public:
    // What the application's Workbooks.Add gives in a Japanese installation:
    // "Sheet1".."Sheet3" (the first active and selected), ＭＳ Ｐゴシック 11 pt,
    // the standard style and cell formats, code page 1200, 1900 dates. Its
    // sheets hold the rows and columns of grid: the larger one of the
    // zip-based format for a workbook that is to be saved as a package or
    // may be; serialize refuses cells past the .xls grid.
    static Workbook createBlank(const formula::Grid& grid = formula::kBinaryGrid);

    // The model of a BIFF8 Workbook stream. decrypted: the stream was
    // deciphered already (its FILEPASS is then dropped on write). Throws
    // biff::BiffError / biff::UnsupportedVersionError / biff::EncryptedError
    // as the reader does, BookError for structures the writer cannot keep.
    static Workbook fromStream(std::vector<std::uint8_t> workbookStream, bool decrypted = false);

    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;
    ~Workbook();

    // --- sheets --------------------------------------------------------------
    std::size_t sheetCount() const { return sheets_.size(); }
    Sheet& sheet(std::size_t index);
    const Sheet& sheet(std::size_t index) const;
    // Index of the sheet with this name, ignoring case (ASCII and
    // full-width Latin letters); nullopt when there is none.
    std::optional<std::size_t> findSheet(std::string_view name) const;
    // Throws BookError when there is no sheet of that name.
    Sheet& sheet(std::string_view name);

    // Validates like the application: 1 to 31 UTF-16 units, none of
    // : \ / ? * [ ], not starting or ending with an apostrophe, and not the
    // name of another sheet ignoring case; else BookError. Names that refer
    // to the sheet keep working: they address it by position.
    void renameSheet(std::size_t index, std::string name);
    // Removes a sheet, never the last visible one (BookError). Names scoped
    // to it go; 3-D references of other names (and of cell formulas through
    // the same EXTERNSHEET entries) to it become #REF!, and references to
    // later sheets move with them. Cell formulas' own tokens are not
    // rewritten otherwise.
    void deleteSheet(std::size_t index);
    // Appends an empty worksheet as Workbooks.Add would make it; the name
    // is validated as renameSheet's. Inserting before another sheet
    // (before < sheetCount) is BookError for now: names and EXTERNSHEET
    // entries would have to move.
    Sheet& addSheet(std::string name, std::optional<std::size_t> before = std::nullopt);

    // The active sheet (WINDOW1 itabCur). setActiveSheet also selects its
    // tab and deselects every other, as activating a sheet does.
    std::size_t activeSheet() const { return activeSheet_; }
    void setActiveSheet(std::size_t index);

    // --- formats -------------------------------------------------------------
    std::uint16_t codepage() const { return codepage_; }
    bool date1904() const { return date1904_; }
    // The rows and columns a sheet of this workbook can hold.
    const formula::Grid& grid() const { return grid_; }
    const std::vector<biff::Font>& fonts() const { return fonts_; }

    // FORMAT records: ifmt -> code.
    const std::map<std::uint16_t, std::string>& numberFormats() const { return formats_; }
    // The code of format id: its FORMAT record's, else the built-in ja-JP
    // code.
    std::string numberFormatCode(std::uint16_t id) const;
    // The id of a format code: an existing FORMAT record's, a built-in
    // format's that needs no record (0-4, 9-22, 37-40, 45-49 in ja-JP,
    // compared exactly), else a new FORMAT record with an id from 164 on.
    // BookError for an empty code or when ids run out.
    std::uint16_t addNumberFormat(std::string code);
    // The id of a FORMAT record of its own for code, from 164 on, even
    // where a built-in format has the same code: readers show the built-in
    // date formats in their own locale's way, a code of its own as written.
    std::uint16_t addExplicitNumberFormat(std::string code);

    std::size_t styleCount() const { return xfs_.size(); }
    // XF number xf; BookError past the end.
    const CellStyle& style(std::uint16_t xf) const;
    // A cell XF equal to style (the first, from 15 on; style XFs are never
    // returned), else a new one appended. BookError at 4050 XFs, for a
    // style XF, a font or parent that does not exist.
    std::uint16_t styleIndex(const CellStyle& style);
    // For a model made from a workbook of another format, each of whose
    // fonts and cell formats keeps a number of its own even where two look
    // alike here: appended as they are, no equal one looked for. BookError
    // past the formats' limits, or for a style whose font or parent does
    // not exist.
    std::uint16_t appendFont(biff::Font font);
    std::uint16_t appendStyle(const CellStyle& style);
    // Cell format xf becomes style, for every cell that has it.
    void redefineStyle(std::uint16_t xf, const CellStyle& style);

    // --- names ---------------------------------------------------------------
    const std::vector<Name>& names() const { return names_; }
    // The areas name i refers to, as formula::nameFormulaAreas reads them
    // (empty for constants, #REF! and formulas).
    std::vector<formula::SheetArea> nameAreas(std::size_t index) const;
    // "=Sheet1!$A$1:$B$2" as formula::nameFormulaText; "" when it has none.
    std::string nameRefersTo(std::size_t index) const;
    // Index of the name of that scope (ignoring case), nullopt if none.
    std::optional<std::size_t> findName(std::string_view name,
                                        std::optional<std::size_t> sheetScope) const;
    // Defines a workbook-level (no scope) or sheet-level name referring to
    // one cell (tRef3d) or a block (tArea3d), all absolute; an existing name
    // of the same scope and name (ignoring case) is replaced in place. Adds
    // the workbook's own SUPBOOK and the EXTERNSHEET entry when missing.
    // BookError for an invalid name (empty, over 255 units, a blank or
    // character other than letters, digits, _ . \ ?, a leading digit, or
    // text that reads as a cell reference such as "A1" or "R1C1"), a scope
    // or sheet index past the sheets, or an area outside the grid.
    void setName(std::string name, std::optional<std::size_t> sheetScope,
                 const formula::SheetArea& area);
    // Removes a name; false when there is none.
    bool deleteName(std::string_view name, std::optional<std::size_t> sheetScope);

    // --- writing -------------------------------------------------------------
    // The complete Workbook stream: the globals in the file's order with
    // regenerated FORMAT/XF, BOUNDSHEET, link table, NAME and SST/EXTSST
    // records (never FILEPASS), then each sheet's substream. BookError when
    // the model holds what the format cannot store (a record over 8224
    // bytes, more than 4050 XFs).
    std::vector<std::uint8_t> serialize() const;

  private:
    friend class Sheet;
    friend struct WorkbookAccess;
    Workbook();

    void checkSheetName(std::string_view name, std::optional<std::size_t> except) const;
    void checkCellStyle(const CellStyle& style) const;
    std::uint16_t newNumberFormat(std::string code);

    std::vector<std::unique_ptr<Sheet>> sheets_;
    std::size_t activeSheet_ = 0;
    std::uint16_t codepage_ = 1200;
    bool date1904_ = false;
    formula::Grid grid_ = formula::kBinaryGrid;
    std::vector<biff::Font> fonts_;
    std::map<std::uint16_t, std::string> formats_;
    std::vector<CellStyle> xfs_;
    // The cell XFs styleIndex gave last, latest first; 0 for none.
    std::array<std::uint16_t, 4> recentStyles_{};
    std::vector<Name> names_;
    std::unique_ptr<GlobalsLayout> layout_;
};

// The most cell formats a workbook may hold.
inline constexpr std::size_t kMaxXfs = 4050;

}  // namespace xls::book
