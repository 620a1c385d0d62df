#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "native/biff/record_reader.h"
#include "native/biff/shared_strings.h"

namespace xls::biff {

// FONT. Cell formats refer to fonts by index, and index 4 is never written:
// XF font index i >= 4 means fonts[i - 1].
struct Font {
    std::uint16_t height = 0;  // twips
    bool italic = false;
    bool strikeout = false;
    std::uint16_t color = 0;  // palette index
    std::uint16_t weight = 400;
    std::uint16_t script = 0;    // 0 none, 1 superscript, 2 subscript
    std::uint8_t underline = 0;  // 0 none, 1 single, 2 double, 0x21/0x22 accounting
    std::uint8_t family = 0;
    std::uint8_t charset = 0;
    std::string name;
};

// XF: a cell or style format.
struct Xf {
    std::uint16_t font = 0;    // see Font for the gap at index 4
    std::uint16_t format = 0;  // ifmt: key into Globals::formats or a built-in format
    std::uint16_t parent = 0;  // ixfParent; 0xFFF for style XFs
    bool isStyle = false;
    bool locked = false;
    bool hidden = false;
};

enum class SheetKind : std::uint8_t { Worksheet = 0, MacroSheet = 1, Chart = 2, VbModule = 6 };
enum class Visibility : std::uint8_t { Visible = 0, Hidden = 1, VeryHidden = 2 };

// BOUNDSHEET: one entry of the workbook's sheet list.
struct SheetEntry {
    std::string name;
    SheetKind kind = SheetKind::Worksheet;
    Visibility visibility = Visibility::Visible;
    std::uint32_t bofOffset = 0;  // lbPlyPos: the sheet's BOF in the stream
};

// SUPBOOK: a workbook that 3-D references and external names point into.
struct SupBook {
    enum class Kind { Self, AddIn, External, OleDde };
    // cch values that mark the two kinds without a path.
    static constexpr std::uint16_t kSelfMarker = 0x0401;
    static constexpr std::uint16_t kAddInMarker = 0x3A01;
    Kind kind = Kind::Self;
    std::uint16_t sheetCount = 0;  // ctab
    // External: the encoded virtual path as stored (its first character may
    // be a control code such as 0x01 for a volume-qualified path).
    std::string url;
    std::vector<std::string> sheetNames;
};

// One XTI of EXTERNSHEET: a sheet range of a SUPBOOK. Negative tab numbers
// are kept as stored: -1 for a deleted sheet, -2 for a workbook-level
// reference.
struct XtiEntry {
    std::uint16_t supBook = 0;
    std::int16_t firstSheet = 0;
    std::int16_t lastSheet = 0;
};

// NAME: a defined name.
struct DefinedName {
    // Built-in names carry their English name without prefix (Print_Area,
    // _FilterDatabase...); unknown built-in numbers read "Builtin_0xNN".
    std::string name;
    bool builtin = false;
    bool hidden = false;
    bool isFunction = false;
    // itab: 0 for a workbook-level name, else the 1-based BOUNDSHEET index of
    // the sheet the name belongs to.
    std::uint16_t sheetIndex = 0;
    // The formula tokens, exactly as stored in a BIFF8 stream. A BIFF5/7
    // stream's tokens are rewritten to their BIFF8 form on reading, so that
    // the layers above know one token set.
    std::vector<std::uint8_t> rgce;
    // A zip-based workbook's name whose cells lie past the .xls grid: it
    // has no tokens, and whoever wanted its cells must hear why.
    bool pastTheGrid = false;
};

// The workbook globals substream: everything before the first sheet's BOF.
struct Globals {
    // 8, or 5 for the BIFF5/BIFF7 streams of Excel 5.0/95: their byte
    // strings were read in codepage, and their references were turned into
    // BIFF8 tokens over a made-up Self SUPBOOK and XTI table, so that such a
    // workbook reads like any other but must not be written back as it is.
    int biffVersion = 8;
    std::uint16_t codepage = 1252;
    bool date1904 = false;
    std::vector<Font> fonts;
    std::map<std::uint16_t, std::string> formats;  // FORMAT ifmt -> format code
    std::vector<Xf> xfs;
    std::vector<SheetEntry> sheets;
    SharedStrings sst;
    // SST.cstUnique as declared; sst.size() may be smaller (see warnings).
    std::uint32_t sstDeclaredCount = 0;
    std::vector<SupBook> supbooks;
    std::vector<XtiEntry> externSheet;
    std::vector<DefinedName> names;
    // Every globals record in stream order, BOF to EOF, CONTINUE included.
    std::vector<RecordRef> records;
    // The file holds a FILEPASS record and its stream was deciphered first.
    bool decryptedFromFile = false;
    // Damage that was worked around, such as a string table cut short.
    std::vector<std::string> warnings;
};

// Reads the globals substream, which starts at offset 0 with a BOF of type
// globals and ends at its EOF. Throws UnsupportedVersionError for streams
// before BIFF5, EncryptedError at a FILEPASS record (unless the stream has
// been deciphered already: decrypted) and BiffError for damage that leaves
// the globals unreadable.
Globals parseGlobals(std::span<const std::uint8_t> workbookStream, bool decrypted = false);

// The English name of built-in name number n (0x06 -> "Print_Area"),
// nullptr for numbers without one.
const char* builtinNameText(std::uint8_t n);

}  // namespace xls::biff
