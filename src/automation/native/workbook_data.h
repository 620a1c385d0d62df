#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "native/biff/cell_index.h"
#include "native/biff/globals.h"
#include "native/format/number_format.h"
#include "native/propset/builtin_properties.h"
#include "native/xlsx/xlsx_error.h"
#include "native/xlsx/xlsx_workbook.h"

namespace xls::native {

// Everything the object model needs of one opened workbook file: a binary
// .xls workbook, or a zip-based one read into the same terms. Sheets are
// indexed when first used, and their cells decoded when asked for: reading
// a few named cells of a questionnaire should pay neither for every sheet
// of the workbook nor for every cell of a sheet.
class WorkbookData {
  public:
    WorkbookData() = default;
    // The sheets' indexes view this object's stream and globals in place.
    WorkbookData(const WorkbookData&) = delete;
    WorkbookData& operator=(const WorkbookData&) = delete;

    // Reads and parses the file. Throws automation::AutomationError with the
    // reason (missing, unreadable, encrypted, damaged, not a workbook).
    static std::shared_ptr<WorkbookData> load(const std::string& path);

    const std::string& path() const { return path_; }
    const biff::Globals& globals() const { return globals_; }
    // The sheet selected when the file was saved.
    std::size_t activeSheet() const { return activeSheet_; }

    // The value of a cell, or nothing where the sheet holds none. Throws
    // AutomationError with the open failure (damaged, refused) when the
    // sheet cannot be read.
    std::optional<biff::Cell> find(std::size_t sheet, std::uint16_t row, std::uint16_t col);

    // Every cell of a sheet that holds a value, by row and column.
    std::vector<biff::Cell> cells(std::size_t sheet);

    format::ValueKind valueKindOfXf(std::uint16_t xf);

    // A built-in document property by its index; a zip-based workbook
    // reads the part that holds it when it is first asked for.
    const std::optional<propset::BuiltinProperty>& property(std::size_t index) {
        if (zipBased_) return zipBased_->property(index);
        return properties_.at(index);
    }

  private:
    void loadZipBased(std::shared_ptr<const std::vector<std::uint8_t>> bytes);
    // A binary workbook's sheet, indexed on first use; throws
    // AutomationError when the sheet is damaged.
    const biff::CellIndex& sheet(std::size_t index);
    [[noreturn]] void failUnreadableSheet(std::size_t index, const xlsx::XlsxError& why) const;

    std::string path_;
    std::unique_ptr<xlsx::Workbook> zipBased_;
    std::vector<std::uint8_t> stream_;
    biff::Globals globals_;
    std::size_t activeSheet_ = 0;
    std::vector<std::unique_ptr<biff::CellIndex>> sheets_;
    std::map<std::uint16_t, format::ValueKind> kindOfFormat_;
    std::array<std::optional<propset::BuiltinProperty>, 31> properties_;
};

}  // namespace xls::native
