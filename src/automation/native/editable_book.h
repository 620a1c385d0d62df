#pragma once

#include <memory>
#include <string>
#include <vector>

#include "automation/native/editable_state.h"
#include "automation/native/open_book.h"

namespace xls::native {

// A workbook held in the editable model: a new one, or one opened for
// writing.
class EditableBook : public OpenBook {
  public:
    // A new workbook as Workbooks.Add makes it, named displayName ("Book1").
    static std::shared_ptr<EditableBook> createBlank(
        std::string displayName, const formula::Grid& grid = formula::kBinaryGrid);
    // Reads a file for editing. Throws AutomationError with the reason.
    static std::shared_ptr<EditableBook> open(const std::string& path);

    explicit EditableBook(std::shared_ptr<EditState> state) : state_(std::move(state)) {}

    std::string name() const override;
    std::string fullName() const override;
    std::shared_ptr<automation::Sheets> sheets() const override;
    std::shared_ptr<automation::Names> names() const override;
    std::shared_ptr<automation::DocumentProperty> builtinDocumentProperty(
        std::int32_t index) const override;
    void save() override;
    void saveAs(const automation::SaveAsArguments& args) override;

    std::shared_ptr<automation::Range> resolve(const std::string& text) override;
    std::shared_ptr<automation::Worksheet> activeWorksheet() override;
    std::shared_ptr<automation::Range> span(const automation::Range& first,
                                            const automation::Range& last) override;
    std::shared_ptr<automation::Range> allCells() override;
    std::shared_ptr<automation::Range> rows(const std::string& text) override;
    std::shared_ptr<automation::Range> columns(const std::string& text) override;
    std::shared_ptr<automation::Range> selection() override;
    std::shared_ptr<automation::Range> activeCell() override;
    void deleteSelectedSheets() override;

  private:
    static std::shared_ptr<EditableBook> openZipBased(
        const std::string& path, std::shared_ptr<const std::vector<std::uint8_t>> bytes);
    std::shared_ptr<automation::Range> onActiveSheet(const formula::Area& area);

    std::shared_ptr<EditState> state_;
};

}  // namespace xls::native
