#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native/biff/globals.h"
#include "native/book/cell_table.h"
#include "native/formula/area.h"

namespace xls::book {

class Workbook;
struct SheetLayout;

// ROW: the height and state of one row. Rows without an entry have the
// sheet's default height and no format.
struct RowInfo {
    std::uint16_t height = 0;   // twips (miyRw); the default height when not custom
    bool hidden = false;        // fDyZero
    bool customHeight = false;  // fUnsynced: the height was set rather than fitted
    std::uint8_t outlineLevel = 0;
    bool collapsed = false;
    bool hasXf = false;  // fGhostDirty: the row has a format of its own
    std::uint16_t xf = 15;
    // Bits of the record the model does not name (fExAsc, fExDes,
    // fPhonetic, reserved), kept as stored: the 4 bytes after miyRw, and the
    // two flag words with the named bits masked out on write.
    std::uint32_t reserved = 0;
    std::uint16_t otherFlags = 0x0100;
    std::uint16_t otherXfFlags = 0;
};

// COLINFO for one column.
struct ColumnInfo {
    bool present = false;     // the column has a COLINFO record
    std::uint16_t width = 0;  // 1/256 of the width of '0' in the default font
    std::uint16_t xf = 15;
    bool hidden = false;
    // fUserSet, fBestFit, fPhonetic, outline level, fCollapsed, as stored.
    std::uint16_t otherFlags = 0;
    std::uint16_t reserved = 0;

    bool operator==(const ColumnInfo&) const = default;
};

// What a link's target is: a URL, a file by a full path, or a file relative
// to the workbook's folder whatever its name's characters look like.
// RelativeUrl: a URL relative to the workbook's own ("a%23b.xls"), percent
// escapes and all, for a file whose name other readers would take for URL
// syntax in a file moniker.
enum class LinkKind : std::uint8_t { Url, AbsoluteFile, RelativeFile, RelativeUrl };

// HLINK: a hyperlink over a range of cells.
struct Hyperlink {
    formula::Area area;
    // A URL ("http://...", "mailto:...") or a file name, relative ("a.xls",
    // "../b.xls") or absolute ("C:\\x\\a.xls", "\\\\server\\share\\a.xls");
    // empty for a link to a place in this workbook only.
    // For files, the path as the link holds it, folders split by '\\'; a
    // relative one starts upLevels folders above the workbook's.
    std::string target;
    LinkKind kind = LinkKind::RelativeFile;
    std::uint16_t upLevels = 0;
    std::string location;  // the part after '#', such as "Sheet2!A1"
    std::string display;   // the text the link shows; empty for none
    // A link read from the file: its HLINK record and the HLINKTOOLTIP
    // after it, as stored with their headers, written back with only the
    // cell range updated. Empty for a link added through the model.
    std::vector<std::vector<std::uint8_t>> rawRecords;
};

// Links read from a file and not asked for yet: their HLINK records, each
// with the HLINKTOOLTIP after it, as stored, in one buffer. A list's links
// mostly go with its rows unread.
struct StoredLinks {
    struct Unit {
        formula::Area area;  // of the link: its HLINK's, moved with the rows
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
        bool tooltip = false;  // belongs to the link before it
    };
    std::vector<std::uint8_t> bytes;
    std::vector<Unit> units;
    std::uint16_t codepage = 1252;
};

// The selection of the active pane.
struct Selection {
    std::uint32_t activeRow = 0;
    std::uint16_t activeCol = 0;
    formula::Area area;  // the selected range; contains the active cell
};

// A sheet of the workbook. Worksheets are edited through this class; chart
// sheets, macro sheets and VB modules are carried through unchanged and
// their cell members see an empty sheet and throw BookError on changes.
// Sheets live as long as their workbook, or until deleted.
class Sheet {
  public:
    ~Sheet();
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    const std::string& name() const { return name_; }
    biff::SheetKind kind() const { return kind_; }
    biff::Visibility visibility() const { return visibility_; }
    bool isWorksheet() const { return kind_ == biff::SheetKind::Worksheet; }
    // Its workbook's grid.
    const formula::Grid& grid() const;

    // --- cells (on the workbook's grid; else BookError) -----------------------
    const Cell* find(std::uint32_t row, std::uint32_t col) const;
    const CellTable& cells() const { return cells_; }

    // Each replaces what the cell held (a formula too) and gives it format
    // xf, which must be an index of Workbook::style().
    void setNumber(std::uint32_t row, std::uint32_t col, double value, std::uint16_t xf);
    // Text of at most 32767 UTF-16 units; invalid UTF-8 is BookError.
    void setText(std::uint32_t row, std::uint32_t col, std::string value, std::uint16_t xf);
    void setBoolean(std::uint32_t row, std::uint32_t col, bool value, std::uint16_t xf);
    void setError(std::uint32_t row, std::uint32_t col, std::uint8_t code, std::uint16_t xf);
    void setBlank(std::uint32_t row, std::uint32_t col, std::uint16_t xf);
    // Changes the format of a cell, keeping its value; a position without a
    // cell gets a Blank cell carrying the format.
    void setXf(std::uint32_t row, std::uint32_t col, std::uint16_t xf);
    // Gives every cell inside area the format newXf returns for it, in one
    // walk; positions without a cell are left alone. Returns how many cells
    // it changed. Formatting large blocks goes through here rather than
    // through setXf, which looks each cell up.
    std::size_t restyleCells(const formula::Area& area,
                             const std::function<std::uint16_t(const Cell&)>& newXf);
    // Removes the cell (value and format). No-op when there is none.
    void eraseCell(std::uint32_t row, std::uint32_t col);

    // Removes rows first..last (inclusive) and moves everything below up:
    // cells, row infos, hyperlinks, merged ranges and the selection. Ranges
    // that straddle the deleted rows shrink; ranges inside them go.
    // Records the model keeps raw that point at cells (NOTE, drawing
    // anchors, conditional formats, data validation, the references inside
    // formula tokens) are left as they are.
    void deleteRows(std::uint32_t first, std::uint32_t last);

    // --- columns -------------------------------------------------------------
    const ColumnInfo& column(std::uint32_t col) const;
    // The width of columns without COLINFO, in characters (DEFCOLWIDTH).
    std::uint16_t defaultColumnWidth() const { return defaultColumnWidth_; }
    // Width in 1/256 of a character, as COLINFO stores it; marks the width
    // as set by the user.
    void setColumnWidth(std::uint32_t first, std::uint32_t last, std::uint16_t width);
    void setColumnHidden(std::uint32_t first, std::uint32_t last, bool hidden);
    void setColumnXf(std::uint32_t first, std::uint32_t last, std::uint16_t xf);
    // The column's format: its COLINFO's, else 15.
    std::uint16_t columnXf(std::uint32_t col) const;

    // --- rows ----------------------------------------------------------------
    const std::map<std::uint32_t, RowInfo>& rows() const { return rows_; }
    const RowInfo* row(std::uint32_t row) const;
    // DEFAULTROWHEIGHT, twips.
    std::uint16_t defaultRowHeight() const { return defaultRowHeight_; }
    // A custom height in twips (at most 8192); 0 hides the row and keeps
    // the height it had.
    void setRowHeight(std::uint32_t row, std::uint16_t twips);
    void setRowHidden(std::uint32_t row, bool hidden);
    void setRowXf(std::uint32_t row, std::uint16_t xf);
    std::optional<std::uint16_t> rowXf(std::uint32_t row) const;

    // --- hyperlinks, merged ranges -------------------------------------------
    const std::vector<Hyperlink>& hyperlinks() const;
    // A link to a URL or file (target) and/or a place (location); display
    // empty for none. Written as an HLINK record with a URL moniker, or a
    // file moniker for a file name, as the target's text tells: a scheme
    // such as "http:" or "mailto:" makes it a URL, "../" goes up a folder.
    void addHyperlink(const formula::Area& area, std::string target, std::string display,
                      std::string location = {});
    // A link to the file named path, as it stands, in the folder upLevels
    // above the workbook's: no character of it makes it a URL or a share.
    void addFileHyperlink(const formula::Area& area, std::uint16_t upLevels, std::string path,
                          std::string display, std::string location = {});
    // A link to a URL relative to the workbook's, kept as it is written.
    void addRelativeUrlHyperlink(const formula::Area& area, std::string url, std::string display);
    // Removes the links whose range overlaps area.
    void removeHyperlinks(const formula::Area& area);

    const std::vector<formula::Area>& mergedRanges() const { return merged_; }
    // A range of at least two cells that overlaps no other merged range,
    // else BookError.
    void addMergedRange(const formula::Area& area);
    // Removes merged ranges that overlap area.
    void removeMergedRanges(const formula::Area& area);

    // --- view ----------------------------------------------------------------
    Selection selection() const { return selection_; }
    // The active cell must lie inside area.
    void setSelection(std::uint32_t activeRow, std::uint32_t activeCol, const formula::Area& area);
    // The sheet tab is selected (WINDOW2 fSelected). Use
    // Workbook::setActiveSheet for the active one.
    bool tabSelected() const { return tabSelected_; }
    void setTabSelected(bool selected);

  private:
    friend class Workbook;
    friend struct SheetAccess;

    explicit Sheet(const Workbook& book);
    void requireWorksheet() const;
    void requireXf(std::uint16_t xf) const;
    // Columns first..last, which must lie on the grid (else BookError), get
    // their infos in columns_ if they had none.
    void roomForColumns(std::uint32_t first, std::uint32_t last);
    Cell& place(std::uint32_t row, std::uint32_t col);
    void addLink(const formula::Area& area, Hyperlink h);
    // Reads the stored links into hyperlinks_, ahead of those added since.
    void readStoredLinks() const;

    const Workbook* book_;
    std::string name_;
    biff::SheetKind kind_ = biff::SheetKind::Worksheet;
    biff::Visibility visibility_ = biff::Visibility::Visible;
    CellTable cells_;
    std::map<std::uint32_t, RowInfo> rows_;
    // Up to the last column given an info: the others have none.
    std::vector<ColumnInfo> columns_;
    mutable std::vector<Hyperlink> hyperlinks_;
    mutable StoredLinks storedLinks_;
    // The last row any hyperlink reaches, worked out when first needed and
    // forgotten when links move or go. A list gets its links row after row
    // below all others, each clearing what lay under its cell first; without
    // this every addition would walk all the links before it.
    mutable std::optional<std::int32_t> hyperlinksLastRow_;
    std::vector<formula::Area> merged_;
    Selection selection_;
    bool selectionChanged_ = false;
    bool tabSelected_ = false;
    std::uint16_t defaultColumnWidth_ = 8;
    std::uint16_t defaultRowHeight_ = 255;
    // Raw records and where the regenerated groups go (sheet_layout.h).
    std::unique_ptr<SheetLayout> layout_;
};

}  // namespace xls::book
