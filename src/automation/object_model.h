#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "automation/automation_error.h"
#include "automation/variant.h"

// The spreadsheet automation object model, as a typed C++ interface. One
// implementation runs on our own .xls engine; another may drive the
// spreadsheet application itself through late-bound automation. Callers see
// only these classes. Objects are handles: several may refer to the same
// workbook or cell, and they stay valid (though operations on them may fail)
// after the workbook they belong to is closed.
//
// Every member may throw AutomationError; callers trap exactly where they
// mean to. A member an implementation does not offer fails with
// kMemberNotSupported, as a late-bound call to a missing member does.

namespace automation {

class Range;
class Worksheet;
class Workbook;

[[noreturn]] void memberNotSupported(const char* member);

// Constants of the members below, as the application numbers them.
namespace xl {
inline constexpr std::int32_t kShiftUp = -4162;
inline constexpr std::int32_t kAlignGeneral = 1;
inline constexpr std::int32_t kAlignLeft = -4131;
inline constexpr std::int32_t kAlignCenter = -4108;
inline constexpr std::int32_t kAlignRight = -4152;
inline constexpr std::int32_t kAlignTop = -4160;
inline constexpr std::int32_t kAlignBottom = -4107;
inline constexpr std::int32_t kColorIndexAutomatic = -4105;
inline constexpr std::int32_t kColorIndexNone = -4142;
inline constexpr std::int32_t kLineStyleNone = -4142;
inline constexpr std::int32_t kContinuous = 1;
inline constexpr std::int32_t kThin = 2;
inline constexpr std::int32_t kPatternSolid = 1;
// Border indices.
inline constexpr std::int32_t kDiagonalDown = 5;
inline constexpr std::int32_t kDiagonalUp = 6;
inline constexpr std::int32_t kEdgeLeft = 7;
inline constexpr std::int32_t kEdgeTop = 8;
inline constexpr std::int32_t kEdgeBottom = 9;
inline constexpr std::int32_t kEdgeRight = 10;
inline constexpr std::int32_t kInsideVertical = 11;
inline constexpr std::int32_t kInsideHorizontal = 12;
}  // namespace xl

class Interior {
  public:
    virtual ~Interior() = default;
    virtual void setColorIndex(std::int32_t) { memberNotSupported("Interior.ColorIndex"); }
    virtual void setPattern(std::int32_t) { memberNotSupported("Interior.Pattern"); }
};

class Border {
  public:
    virtual ~Border() = default;
    virtual void setLineStyle(std::int32_t) { memberNotSupported("Border.LineStyle"); }
    virtual void setWeight(std::int32_t) { memberNotSupported("Border.Weight"); }
    virtual void setColorIndex(std::int32_t) { memberNotSupported("Border.ColorIndex"); }
};

// What to set on Borders(index) of a range; what is absent stays as it is.
struct BorderSetting {
    std::int32_t index = 0;
    std::optional<std::int32_t> lineStyle;
    std::optional<std::int32_t> weight;
    std::optional<std::int32_t> colorIndex;
};

// Property types of a document property (Type member).
namespace property_type {
inline constexpr std::int32_t kNumber = 1;
inline constexpr std::int32_t kBoolean = 2;
inline constexpr std::int32_t kDate = 3;
inline constexpr std::int32_t kString = 4;
inline constexpr std::int32_t kFloat = 5;
}  // namespace property_type

class Range {
  public:
    virtual ~Range() = default;
    // A single cell gives its value; several cells give an array.
    virtual Variant value() const = 0;
    // 1-based row and column of the range's first cell.
    virtual std::int32_t row() const = 0;
    virtual std::int32_t column() const = 0;
    virtual std::int32_t rowCount() const = 0;
    virtual std::int32_t columnCount() const = 0;
    virtual std::shared_ptr<Worksheet> worksheet() const = 0;

    // Writing. Select makes the range the selection of its sheet (and its
    // first cell the active cell). FormulaR1C1 enters the value as if typed.
    virtual void select() { memberNotSupported("Range.Select"); }
    virtual void setFormulaR1C1(const Variant&) { memberNotSupported("Range.FormulaR1C1"); }
    // Delete with Shift: the cells below move up.
    virtual void deleteShift(std::int32_t) { memberNotSupported("Range.Delete"); }
    virtual void setColumnWidth(double) { memberNotSupported("Range.ColumnWidth"); }
    virtual void setRowHeight(double) { memberNotSupported("Range.RowHeight"); }
    virtual void setHorizontalAlignment(std::int32_t) {
        memberNotSupported("Range.HorizontalAlignment");
    }
    virtual void setVerticalAlignment(std::int32_t) {
        memberNotSupported("Range.VerticalAlignment");
    }
    virtual void setOrientation(std::int32_t) { memberNotSupported("Range.Orientation"); }
    virtual void setAddIndent(bool) { memberNotSupported("Range.AddIndent"); }
    virtual void setIndentLevel(std::int32_t) { memberNotSupported("Range.IndentLevel"); }
    virtual void setWrapText(bool) { memberNotSupported("Range.WrapText"); }
    virtual void setShrinkToFit(bool) { memberNotSupported("Range.ShrinkToFit"); }
    virtual void setMergeCells(bool) { memberNotSupported("Range.MergeCells"); }
    virtual std::shared_ptr<Interior> interior() { memberNotSupported("Range.Interior"); }
    // Borders(i), i one of the xl::kDiagonal..., xl::kEdge..., xl::kInside...
    virtual std::shared_ptr<Border> borders(std::int32_t) { memberNotSupported("Range.Borders"); }
    // Borders(i).LineStyle, .Weight and .ColorIndex of each setting in turn,
    // each set on its own: one that fails is left out and the rest are set.
    // An implementation that can sets them all in one go, to the same end.
    virtual void setBorders(std::span<const BorderSetting> settings);
};

class Worksheet {
  public:
    virtual ~Worksheet() = default;
    virtual std::string name() const = 0;
    // Cells(row, column), 1-based; outside the sheet's grid it fails.
    virtual std::shared_ptr<Range> cells(std::int32_t row, std::int32_t column) const = 0;
    // Range("A1"), Range("B2:C4") on this sheet.
    virtual std::shared_ptr<Range> range(const std::string& reference) const = 0;

    // UsedRange: from A1 to the last row and the last column that hold a
    // cell (a formatted blank counts); A1 alone on an empty sheet.
    virtual std::shared_ptr<Range> usedRange() const { memberNotSupported("Worksheet.UsedRange"); }

    virtual void setName(const std::string&) { memberNotSupported("Worksheet.Name"); }
    // Makes this the active sheet and the only selected one.
    virtual void select() { memberNotSupported("Worksheet.Select"); }
    // Hyperlinks.Add(Anchor, Address, TextToDisplay). A relative address is
    // read as a URL's path: '/' parts folders, '#' starts a place in the
    // file, and a percent escape is the character it stands for.
    virtual void addHyperlink(const Range& /*anchor*/, const std::string& /*address*/,
                              const std::string& /*textToDisplay*/) {
        memberNotSupported("Hyperlinks.Add");
    }
};

class Sheets {
  public:
    virtual ~Sheets() = default;
    virtual std::int32_t count() const = 0;
    // Sheets(i) by 1-based position, chart sheets included; a chart sheet
    // has no cells, so using it as a worksheet fails.
    virtual std::shared_ptr<Worksheet> item(std::int32_t index) const = 0;
    virtual std::shared_ptr<Worksheet> item(const std::string& name) const = 0;
    // Sheets.Add after the last sheet, then named: an empty worksheet. The
    // active sheet stays the one it was.
    virtual std::shared_ptr<Worksheet> add(const std::string& /*name*/) {
        memberNotSupported("Sheets.Add");
    }
};

class Name {
  public:
    virtual ~Name() = default;
    // The name as the collection gives it; sheet-level names as "Sheet!name".
    virtual std::string name() const = 0;
    // The formula the name stands for, in A1 style ("=Sheet1!$B$2").
    virtual std::string refersTo() const = 0;
    // Fails when the name refers to no range (a constant, a formula, a
    // broken reference).
    virtual std::shared_ptr<Range> refersToRange() const = 0;
    // A name of a workbook with a larger grid (.xlsx) whose cells lie past
    // this model's (256 columns, 65,536 rows): it refers to no range, and
    // not because it is a constant or a formula.
    virtual bool refersPastTheGrid() const { return false; }
};

class Names {
  public:
    virtual ~Names() = default;
    virtual std::int32_t count() const = 0;
    // Names(i), 1-based, in the collection's order.
    virtual std::shared_ptr<Name> item(std::int32_t index) const = 0;

    // Names.Add(Name, RefersToR1C1): a workbook-level name for a reference
    // given as R1C1 text ("=Sheet1!R3C2") or as a range. A name the
    // application would refuse (blank inside, looks like a cell reference,
    // empty, too long, a character it does not allow) fails.
    virtual void add(const std::string& /*name*/, const std::string& /*refersToR1C1*/) {
        memberNotSupported("Names.Add");
    }
    virtual void add(const std::string& /*name*/, const Range& /*refersTo*/) {
        memberNotSupported("Names.Add");
    }
};

class DocumentProperty {
  public:
    virtual ~DocumentProperty() = default;
    virtual std::string name() const = 0;
    virtual std::int32_t type() const = 0;
    // Fails for a property the workbook does not set.
    virtual Variant value() const = 0;
    // The value, or nothing for a property the workbook does not set. Most
    // workbooks leave most properties unset: asking this way costs no
    // failure for each of them.
    virtual std::optional<Variant> valueIfSet() const {
        try {
            return value();
        } catch (const AutomationError&) {
            return std::nullopt;
        }
    }
};

class Workbook {
  public:
    virtual ~Workbook() = default;
    virtual std::string name() const = 0;
    virtual std::string fullName() const = 0;
    virtual std::shared_ptr<Sheets> sheets() const = 0;
    virtual std::shared_ptr<Names> names() const = 0;
    // BuiltinDocumentProperties(k), k = 1 to 30 in the application's order.
    virtual std::shared_ptr<DocumentProperty> builtinDocumentProperty(std::int32_t index) const = 0;
    virtual void close(bool saveChanges) = 0;

    virtual void save() { memberNotSupported("Workbook.Save"); }
    virtual void saveAs(const struct SaveAsArguments&) { memberNotSupported("Workbook.SaveAs"); }
};

// Named arguments of Workbook.SaveAs.
struct SaveAsArguments {
    std::string fileName;
    std::optional<std::string> password;
    std::optional<std::string> writeResPassword;
    std::optional<bool> readOnlyRecommended;
    std::optional<bool> createBackup;
};

// Named arguments of Workbooks.Open; an argument left empty is not passed.
struct OpenArguments {
    std::string fileName;
    std::optional<std::int16_t> updateLinks;
    std::optional<bool> readOnly;
    std::optional<bool> ignoreReadOnlyRecommended;
};

class Workbooks {
  public:
    virtual ~Workbooks() = default;
    // The opened workbook becomes the active one.
    virtual std::shared_ptr<Workbook> open(const OpenArguments& args) = 0;
    // Closes every open workbook.
    virtual void close() = 0;
    virtual std::int32_t count() const = 0;
    // Workbooks(i), 1-based.
    virtual std::shared_ptr<Workbook> item(std::int32_t index) const = 0;

    // A new workbook with the sheets "Sheet1", "Sheet2" and "Sheet3", the
    // first one active; it becomes the active workbook.
    virtual std::shared_ptr<Workbook> add() { memberNotSupported("Workbooks.Add"); }
    // The same, made for a zip-based file: its sheets have that format's
    // larger grid, and names that are cells there are refused. The
    // application gives every new workbook that grid, and add() does here.
    virtual std::shared_ptr<Workbook> addForPackage() { return add(); }
};

class Application {
  public:
    virtual ~Application() = default;
    virtual std::shared_ptr<Workbooks> workbooks() = 0;
    virtual void setEnableEvents(bool on) = 0;
    virtual void setDisplayAlerts(bool on) = 0;
    virtual void quit() = 0;
    // Whether several instances, made by the same factory, may each read
    // workbooks on a thread of their own at the same time. The spreadsheet
    // application's automation belongs to one thread, so not by default.
    virtual bool readsInParallel() const { return false; }

    // Range(text), resolved in the active workbook as the application does:
    // a cell reference ("B2", "Sheet1!B2:C3") or a defined name (a sheet-level
    // name of the active sheet before a workbook name, or "Sheet!name").
    virtual std::shared_ptr<Range> range(const std::string& text) = 0;
    virtual std::shared_ptr<Workbook> activeWorkbook() = 0;
    virtual std::shared_ptr<Worksheet> activeSheet() = 0;

    // The rest act on the active sheet of the active workbook.
    // Range(cell, cell): the block spanned by the two ranges.
    virtual std::shared_ptr<Range> range(const Range& /*first*/, const Range& /*last*/) {
        memberNotSupported("Application.Range");
    }
    // Cells: every cell of the sheet; Cells(row, column): one of them.
    virtual std::shared_ptr<Range> cells() { memberNotSupported("Application.Cells"); }
    virtual std::shared_ptr<Range> cells(std::int32_t /*row*/, std::int32_t /*column*/) {
        memberNotSupported("Application.Cells");
    }
    // Rows("4:5"), Columns("A:A").
    virtual std::shared_ptr<Range> rows(const std::string&) {
        memberNotSupported("Application.Rows");
    }
    virtual std::shared_ptr<Range> columns(const std::string&) {
        memberNotSupported("Application.Columns");
    }
    // Sheets(name) of the active workbook.
    virtual std::shared_ptr<Worksheet> sheets(const std::string&) {
        memberNotSupported("Application.Sheets");
    }
    virtual std::shared_ptr<Range> selection() { memberNotSupported("Application.Selection"); }
    virtual std::shared_ptr<Range> activeCell() { memberNotSupported("Application.ActiveCell"); }
    // ActiveWindow.SelectedSheets.Delete: deletes the selected sheets of the
    // active workbook (never all of its sheets).
    virtual void deleteSelectedSheets() {
        memberNotSupported("ActiveWindow.SelectedSheets.Delete");
    }
    // Cells(row, columns[i]).FormulaR1C1 = entries[i] for each i in turn,
    // one failing cell not stopping the rest; true when every one was
    // entered. A list enters thousands of rows, so an application may do it
    // without a range object for each cell.
    virtual bool enterRow(std::int32_t row, std::span<const std::int32_t> columns,
                          std::span<const Variant> entries);
};

// CreateObject: starts a new application instance. Throws AutomationError
// (kCannotCreateObject) when none can be started.
using ApplicationFactory = std::function<std::unique_ptr<Application>()>;

}  // namespace automation
