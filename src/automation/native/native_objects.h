#pragma once

// The object model over WorkbookData. Objects hold the workbook's data
// alive themselves, so a handle stays usable however it was obtained.

#include <memory>
#include <string>

#include "automation/native/workbook_data.h"
#include "automation/object_model.h"
#include "native/formula/area.h"

namespace xls::native {

class NativeRange : public automation::Range {
  public:
    NativeRange(std::shared_ptr<WorkbookData> book, std::size_t sheet, formula::Area area)
        : book_(std::move(book)), sheet_(sheet), area_(area) {}
    automation::Variant value() const override;
    std::int32_t row() const override { return area_.firstRow + 1; }
    std::int32_t column() const override { return area_.firstCol + 1; }
    std::int32_t rowCount() const override { return area_.lastRow - area_.firstRow + 1; }
    std::int32_t columnCount() const override { return area_.lastCol - area_.firstCol + 1; }
    std::shared_ptr<automation::Worksheet> worksheet() const override;

    std::size_t sheetIndex() const { return sheet_; }

  private:
    std::shared_ptr<WorkbookData> book_;
    std::size_t sheet_;
    formula::Area area_;
};

class NativeWorksheet : public automation::Worksheet {
  public:
    NativeWorksheet(std::shared_ptr<WorkbookData> book, std::size_t sheet)
        : book_(std::move(book)), sheet_(sheet) {}
    std::string name() const override;
    std::shared_ptr<automation::Range> cells(std::int32_t row, std::int32_t column) const override;
    std::shared_ptr<automation::Range> range(const std::string& reference) const override;

  private:
    // Charts and modules have no cells.
    void requireCells() const;

    std::shared_ptr<WorkbookData> book_;
    std::size_t sheet_;
};

class NativeSheets : public automation::Sheets {
  public:
    explicit NativeSheets(std::shared_ptr<WorkbookData> book) : book_(std::move(book)) {}
    std::int32_t count() const override;
    std::shared_ptr<automation::Worksheet> item(std::int32_t index) const override;
    std::shared_ptr<automation::Worksheet> item(const std::string& name) const override;

  private:
    std::shared_ptr<WorkbookData> book_;
};

class NativeName : public automation::Name {
  public:
    NativeName(std::shared_ptr<WorkbookData> book, std::size_t index)
        : book_(std::move(book)), index_(index) {}
    std::string name() const override;
    std::string refersTo() const override;
    std::shared_ptr<automation::Range> refersToRange() const override;
    bool refersPastTheGrid() const override;

  private:
    std::shared_ptr<WorkbookData> book_;
    std::size_t index_;
};

class NativeNames : public automation::Names {
  public:
    explicit NativeNames(std::shared_ptr<WorkbookData> book) : book_(std::move(book)) {}
    std::int32_t count() const override;
    std::shared_ptr<automation::Name> item(std::int32_t index) const override;

  private:
    std::shared_ptr<WorkbookData> book_;
};

class NativeDocumentProperty : public automation::DocumentProperty {
  public:
    NativeDocumentProperty(std::shared_ptr<WorkbookData> book, std::int32_t index)
        : book_(std::move(book)), index_(index) {}
    std::string name() const override;
    std::int32_t type() const override;
    automation::Variant value() const override;
    std::optional<automation::Variant> valueIfSet() const override;

  private:
    std::shared_ptr<WorkbookData> book_;
    std::int32_t index_;
};

}  // namespace xls::native
