#include "automation/native/editable_book.h"
#include "native/text/ascii.h"

#include "automation/native/editable_objects.h"
#include "automation/native/file_bytes.h"
#include "automation/native/workbook_file.h"
#include "automation/native/workbook_saving.h"
#include "native/formula/a1_reference.h"
#include "native/formula/sheet_name.h"
#include "native/propset/builtin_properties.h"
#include "native/propset/ole_date.h"
#include "native/xlsx/xlsx_error.h"
#include "native/xlsx_update/package_import.h"

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

[[noreturn]] void noSuchRange(const std::string& text) {
    throw AutomationError(errnum::kApplicationDefined,
                          "'" + text + "' is neither a cell reference nor a name of a range");
}

class EditableDocumentProperty : public automation::DocumentProperty {
  public:
    EditableDocumentProperty(std::shared_ptr<EditState> state, std::int32_t index)
        : state_(std::move(state)), index_(index) {}
    std::string name() const override { return propset::builtinPropertyName(index_); }
    std::int32_t type() const override { return propset::builtinPropertyType(index_); }
    automation::Variant value() const override {
        const auto& p = state_->properties[static_cast<std::size_t>(index_)];
        if (!p)
            throw AutomationError(errnum::kAutomationFailure,
                                  std::string("document property '") + name() + "' is not set");
        if (auto s = std::get_if<std::string>(&p->value)) return *s;
        if (auto t = std::get_if<propset::FileTime>(&p->value))
            return automation::Date{propset::fileTimeToLocalOleDate(*t)};
        return std::get<double>(p->value);
    }

  private:
    std::shared_ptr<EditState> state_;
    std::int32_t index_;
};

}  // namespace

std::shared_ptr<EditableBook> EditableBook::createBlank(std::string displayName,
                                                        const formula::Grid& grid) {
    auto state = std::make_shared<EditState>(book::Workbook::createBlank(grid));
    state->displayName = std::move(displayName);
    return std::make_shared<EditableBook>(std::move(state));
}

std::shared_ptr<EditableBook> EditableBook::open(const std::string& path) {
    auto bytes = readFileBytes(path);
    if (!cfb::CompoundFile::hasSignature(*bytes)) {
        const ForeignContent found = identifyForeignContent(*bytes);
        if (found.kind != automation::FileContent::ZipWorkbook) failAsForeignContent(path, found);
        return openZipBased(path, std::move(bytes));
    }
    WorkbookFile file = readWorkbookFileForEditing(path, std::move(*bytes));
    bytes.reset();
    auto kept = std::move(file.container);
    auto model = parseOrFail(
        path, [&] { return book::Workbook::fromStream(std::move(file.stream), file.decrypted); });
    auto state = std::make_shared<EditState>(std::move(model));
    state->path = path;
    state->displayName = nameOfFullName(path);
    state->source = std::move(kept);
    state->properties = file.properties;
    return std::make_shared<EditableBook>(std::move(state));
}

std::shared_ptr<EditableBook> EditableBook::openZipBased(
    const std::string& path, std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    auto fail = [&](automation::OpenFailure cause, const std::string& why) {
        throw AutomationError(errnum::kApplicationDefined, "'" + path + "' " + why, cause,
                              automation::FileContent::ZipWorkbook);
    };
    std::optional<xlsx_update::ImportedWorkbook> imported;
    try {
        imported.emplace(xlsx_update::importWorkbook(std::move(bytes)));
    } catch (const xlsx::XlsxRefused& e) {
        fail(automation::OpenFailure::UnsupportedFormat, std::string("is refused: ") + e.what());
    } catch (const xlsx::XlsxError& e) {
        fail(automation::OpenFailure::Damaged, std::string("is damaged: ") + e.what());
    } catch (const book::BookError& e) {
        fail(automation::OpenFailure::UnsupportedFormat,
             std::string("cannot be edited: ") + e.what());
    }
    auto state = std::make_shared<EditState>(std::move(imported->model));
    state->path = path;
    state->displayName = nameOfFullName(path);
    state->package = std::move(imported->kept);
    return std::make_shared<EditableBook>(std::move(state));
}

std::string EditableBook::name() const {
    return state_->displayName;
}

std::string EditableBook::fullName() const {
    return state_->path.empty() ? state_->displayName : state_->path;
}

std::shared_ptr<automation::Sheets> EditableBook::sheets() const {
    return std::make_shared<EditableSheets>(state_);
}

std::shared_ptr<automation::Names> EditableBook::names() const {
    return std::make_shared<EditableNames>(state_);
}

std::shared_ptr<automation::DocumentProperty> EditableBook::builtinDocumentProperty(
    std::int32_t index) const {
    if (index < 1 || index > 30)
        throw AutomationError(errnum::kInvalidProcedureCall,
                              "no built-in document property " + std::to_string(index));
    return std::make_shared<EditableDocumentProperty>(state_, index);
}

void EditableBook::save() {
    if (state_->path.empty())
        throw AutomationError(errnum::kApplicationDefined,
                              "workbook '" + state_->displayName + "' has no file yet: use SaveAs");
    saveWorkbookFile(*state_, state_->path);
}

void EditableBook::saveAs(const automation::SaveAsArguments& args) {
    if (args.password && !args.password->empty())
        throw AutomationError(errnum::kApplicationDefined,
                              "saving with a password is not supported by this engine");
    if (args.fileName.empty())
        throw AutomationError(errnum::kApplicationDefined, "SaveAs needs a file name");
    saveWorkbookFile(*state_, args.fileName);
    state_->path = args.fileName;
    state_->displayName = nameOfFullName(args.fileName);
}

std::shared_ptr<automation::Range> EditableBook::onActiveSheet(const formula::Area& area) {
    return std::make_shared<EditableRange>(handleOf(state_, state_->model.activeSheet()), area);
}

std::shared_ptr<automation::Range> EditableBook::resolve(const std::string& text) {
    book::Workbook& model = state_->model;
    if (auto ref = formula::parseA1Reference(text, model.grid())) {
        std::size_t sheet = model.activeSheet();
        if (ref->sheet) {
            auto found = model.findSheet(*ref->sheet);
            if (!found) noSuchRange(text);
            sheet = *found;
        }
        return std::make_shared<EditableRange>(handleOf(state_, sheet), ref->area);
    }
    std::string_view name = text;
    std::optional<std::size_t> scope;
    if (auto bang = text.rfind('!'); bang != std::string::npos) {
        std::string sheetPart = formula::unquotedSheetName(std::string_view(text).substr(0, bang));
        auto found = model.findSheet(sheetPart);
        if (!found) noSuchRange(text);
        scope = *found;
        name = std::string_view(text).substr(bang + 1);
    }
    auto lookup = [&](std::optional<std::size_t> sheetScope) -> std::optional<std::size_t> {
        const auto& names = model.names();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i].scope == sheetScope && text::equalsIgnoringAsciiCase(names[i].name, name))
                return i;
        return std::nullopt;
    };
    // A sheet-level name of the active sheet hides a workbook-level one.
    std::optional<std::size_t> index;
    if (scope) {
        index = lookup(scope);
    } else {
        index = lookup(model.activeSheet());
        if (!index) index = lookup(std::nullopt);
    }
    if (!index) noSuchRange(text);
    return rangeOfModelName(state_, *index);
}

std::shared_ptr<automation::Worksheet> EditableBook::activeWorksheet() {
    return std::make_shared<EditableWorksheet>(handleOf(state_, state_->model.activeSheet()));
}

std::shared_ptr<automation::Range> EditableBook::span(const automation::Range& first,
                                                      const automation::Range& last) {
    auto* a = dynamic_cast<const EditableRange*>(&first);
    auto* b = dynamic_cast<const EditableRange*>(&last);
    if (!a || !b || !a->sheet().sameSheet(b->sheet()))
        throw AutomationError(errnum::kApplicationDefined,
                              "Range(cell, cell) needs two ranges of one sheet");
    formula::Area area{std::min(a->area().firstRow, b->area().firstRow),
                       std::min(a->area().firstCol, b->area().firstCol),
                       std::max(a->area().lastRow, b->area().lastRow),
                       std::max(a->area().lastCol, b->area().lastCol)};
    return std::make_shared<EditableRange>(a->sheet(), area);
}

std::shared_ptr<automation::Range> EditableBook::allCells() {
    const formula::Grid& grid = state_->model.grid();
    return onActiveSheet({0, 0, grid.lastRow, grid.lastCol});
}

std::shared_ptr<automation::Range> EditableBook::rows(const std::string& text) {
    std::string spec = text.find(':') == std::string::npos ? text + ":" + text : text;
    const formula::Grid& grid = state_->model.grid();
    auto ref = formula::parseA1Reference(spec, grid);
    if (!ref || ref->sheet || ref->area.firstCol != 0 || ref->area.lastCol != grid.lastCol)
        throw AutomationError(errnum::kApplicationDefined, "'" + text + "' names no rows");
    return onActiveSheet(ref->area);
}

std::shared_ptr<automation::Range> EditableBook::columns(const std::string& text) {
    std::string spec = text.find(':') == std::string::npos ? text + ":" + text : text;
    const formula::Grid& grid = state_->model.grid();
    auto ref = formula::parseA1Reference(spec, grid);
    if (!ref || ref->sheet || ref->area.firstRow != 0 || ref->area.lastRow != grid.lastRow)
        throw AutomationError(errnum::kApplicationDefined, "'" + text + "' names no columns");
    return onActiveSheet(ref->area);
}

std::shared_ptr<automation::Range> EditableBook::selection() {
    return onActiveSheet(state_->model.sheet(state_->model.activeSheet()).selection().area);
}

std::shared_ptr<automation::Range> EditableBook::activeCell() {
    auto sel = state_->model.sheet(state_->model.activeSheet()).selection();
    const auto row = static_cast<std::int32_t>(sel.activeRow);
    return onActiveSheet({row, sel.activeCol, row, sel.activeCol});
}

void EditableBook::deleteSelectedSheets() {
    book::Workbook& model = state_->model;
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < model.sheetCount(); ++i)
        if (model.sheet(i).tabSelected() || i == model.activeSheet()) selected.push_back(i);
    if (selected.size() >= model.sheetCount())
        throw AutomationError(errnum::kApplicationDefined,
                              "a workbook must keep at least one sheet");
    editing([&] {
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) model.deleteSheet(*it);
        // The sheet after the deleted ones becomes the active one.
        std::size_t next = std::min(selected.front(), model.sheetCount() - 1);
        model.setActiveSheet(next);
    });
}

}  // namespace xls::native
