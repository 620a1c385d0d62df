#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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
// mean to.

namespace automation {

class Range;
class Worksheet;
class Workbook;

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
};

class Worksheet {
  public:
    virtual ~Worksheet() = default;
    virtual std::string name() const = 0;
    // Cells(row, column), 1-based; outside the sheet's grid it fails.
    virtual std::shared_ptr<Range> cells(std::int32_t row, std::int32_t column) const = 0;
    // Range("A1"), Range("B2:C4") on this sheet.
    virtual std::shared_ptr<Range> range(const std::string& reference) const = 0;
};

class Sheets {
  public:
    virtual ~Sheets() = default;
    virtual std::int32_t count() const = 0;
    // Sheets(i) by 1-based position, chart sheets included; a chart sheet
    // has no cells, so using it as a worksheet fails.
    virtual std::shared_ptr<Worksheet> item(std::int32_t index) const = 0;
    virtual std::shared_ptr<Worksheet> item(const std::string& name) const = 0;
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
};

class Names {
  public:
    virtual ~Names() = default;
    virtual std::int32_t count() const = 0;
    // Names(i), 1-based, in the collection's order.
    virtual std::shared_ptr<Name> item(std::int32_t index) const = 0;
};

class DocumentProperty {
  public:
    virtual ~DocumentProperty() = default;
    virtual std::string name() const = 0;
    virtual std::int32_t type() const = 0;
    // Fails for a property the workbook does not set.
    virtual Variant value() const = 0;
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
};

class Application {
  public:
    virtual ~Application() = default;
    virtual std::shared_ptr<Workbooks> workbooks() = 0;
    virtual void setEnableEvents(bool on) = 0;
    virtual void setDisplayAlerts(bool on) = 0;
    virtual void quit() = 0;

    // Range(text), resolved in the active workbook as the application does:
    // a cell reference ("B2", "Sheet1!B2:C3") or a defined name (a sheet-level
    // name of the active sheet before a workbook name, or "Sheet!name").
    virtual std::shared_ptr<Range> range(const std::string& text) = 0;
    virtual std::shared_ptr<Workbook> activeWorkbook() = 0;
    virtual std::shared_ptr<Worksheet> activeSheet() = 0;
};

// CreateObject: starts a new application instance. Throws AutomationError
// (kCannotCreateObject) when none can be started.
using ApplicationFactory = std::function<std::unique_ptr<Application>()>;

}  // namespace automation
