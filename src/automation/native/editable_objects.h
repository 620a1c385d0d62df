#pragma once

// The object model over an editable workbook (a new one, or one opened for
// writing). Sheets are held by identity rather than position, so a handle
// keeps pointing at its sheet when others are deleted; a handle to a
// deleted sheet fails.

#include <memory>
#include <string>

#include "automation/native/editable_state.h"
#include "automation/native/editing.h"
#include "automation/native/style_edits.h"
#include "automation/object_model.h"
#include "native/formula/area.h"

namespace xls::native {

// A sheet of an editable workbook, by identity.
class SheetHandle {
  public:
    SheetHandle(std::shared_ptr<EditState> state, const book::Sheet* sheet)
        : state_(std::move(state)), sheet_(sheet) {}

    EditState& state() const { return *state_; }
    const std::shared_ptr<EditState>& shared() const { return state_; }
    // The sheet's position now; throws AutomationError when it was deleted.
    std::size_t index() const;
    book::Sheet& sheet() const { return state_->model.sheet(index()); }
    bool sameSheet(const SheetHandle& other) const {
        return state_ == other.state_ && sheet_ == other.sheet_;
    }

  private:
    std::shared_ptr<EditState> state_;
    const book::Sheet* sheet_;
};

class EditableRange : public automation::Range {
  public:
    EditableRange(SheetHandle sheet, formula::Area area) : sheet_(std::move(sheet)), area_(area) {}

    automation::Variant value() const override;
    std::int32_t row() const override { return area_.firstRow + 1; }
    std::int32_t column() const override { return area_.firstCol + 1; }
    std::int32_t rowCount() const override { return area_.lastRow - area_.firstRow + 1; }
    std::int32_t columnCount() const override { return area_.lastCol - area_.firstCol + 1; }
    std::shared_ptr<automation::Worksheet> worksheet() const override;

    void select() override;
    void setFormulaR1C1(const automation::Variant& value) override;
    void deleteShift(std::int32_t shift) override;
    void setColumnWidth(double width) override;
    void setRowHeight(double height) override;
    void setHorizontalAlignment(std::int32_t value) override;
    void setVerticalAlignment(std::int32_t value) override;
    void setOrientation(std::int32_t value) override;
    void setAddIndent(bool on) override;
    void setIndentLevel(std::int32_t level) override;
    void setWrapText(bool on) override;
    void setShrinkToFit(bool on) override;
    void setMergeCells(bool on) override;
    std::shared_ptr<automation::Interior> interior() override;
    std::shared_ptr<automation::Border> borders(std::int32_t index) override;
    void setBorders(std::span<const automation::BorderSetting> settings) override;

    const SheetHandle& sheet() const { return sheet_; }
    const formula::Area& area() const { return area_; }
    // Changes the format of every cell of the range.
    void restyle(const StyleEdit& edit) const;

  private:
    SheetHandle sheet_;
    formula::Area area_;
};

class EditableWorksheet : public automation::Worksheet {
  public:
    explicit EditableWorksheet(SheetHandle sheet) : sheet_(std::move(sheet)) {}
    std::string name() const override;
    std::shared_ptr<automation::Range> cells(std::int32_t row, std::int32_t column) const override;
    std::shared_ptr<automation::Range> range(const std::string& reference) const override;
    std::shared_ptr<automation::Range> usedRange() const override;
    void setName(const std::string& name) override;
    void select() override;
    void addHyperlink(const automation::Range& anchor, const std::string& address,
                      const std::string& textToDisplay) override;
    // Application.EnterRow on this sheet, straight into the model.
    bool enterRow(std::int32_t row, std::span<const std::int32_t> columns,
                  std::span<const automation::Variant> entries) const;

  private:
    SheetHandle sheet_;
};

class EditableSheets : public automation::Sheets {
  public:
    explicit EditableSheets(std::shared_ptr<EditState> state) : state_(std::move(state)) {}
    std::int32_t count() const override;
    std::shared_ptr<automation::Worksheet> item(std::int32_t index) const override;
    std::shared_ptr<automation::Worksheet> item(const std::string& name) const override;
    std::shared_ptr<automation::Worksheet> add(const std::string& name) override;

  private:
    std::shared_ptr<EditState> state_;
};

class EditableNames : public automation::Names {
  public:
    explicit EditableNames(std::shared_ptr<EditState> state) : state_(std::move(state)) {}
    std::int32_t count() const override;
    std::shared_ptr<automation::Name> item(std::int32_t index) const override;
    void add(const std::string& name, const std::string& refersToR1C1) override;
    void add(const std::string& name, const automation::Range& refersTo) override;

  private:
    std::shared_ptr<EditState> state_;
};

// The range a name of the model refers to, by its index; throws when none.
std::shared_ptr<automation::Range> rangeOfModelName(const std::shared_ptr<EditState>& state,
                                                    std::size_t index);

// A sheet of the model as a handle.
SheetHandle handleOf(const std::shared_ptr<EditState>& state, std::size_t index);

}  // namespace xls::native
