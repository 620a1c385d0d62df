#include "automation/ignoring_failure.h"
#include "automation/native/cell_entry.h"
#include "automation/native/editable_objects.h"
#include "automation/native/model_values.h"
#include "native/book/hyperlink_record.h"
#include "native/formula/a1_reference.h"
#include "native/formula/sheet_name.h"
#include "native/input/defined_name.h"
#include "native/input/r1c1_reference.h"
#include "native/text/percent_escapes.h"
#include "native/text/unicode.h"

#include <algorithm>
#include <string_view>

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

struct RelativeFile {
    std::uint16_t upLevels = 0;
    std::string path;  // folders split by '\'
    std::string location;
    // A file moniker's path would be read as something else: a name holds a
    // scheme's or drive's colon, a separator, an escape or a place, a
    // character no Windows name holds, or bytes that are no text, which a
    // moniker cannot name at all.
    bool misreadInMoniker = false;
};

// A relative address as the application takes it: what follows the first
// '#' is a place in the file; '/' and '\' split folders, leading ".." go up
// one; each percent escape is the character it stands for, so an escaped
// '\', '#' or ':' is part of a name and nothing else.
RelativeFile relativeFileOf(std::string_view address) {
    RelativeFile file;
    if (const std::size_t hash = address.find('#'); hash != std::string_view::npos) {
        file.location = text::percentDecoded(address.substr(hash + 1));
        address = address.substr(0, hash);
    }
    bool leading = true;
    std::size_t start = 0;
    while (start < address.size()) {
        std::size_t end = address.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = address.size();
        const std::string_view part = address.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (leading && part == "..") {
            if (file.upLevels < 0xFFFF) ++file.upLevels;
            continue;
        }
        leading = false;
        if (!file.path.empty()) file.path += '\\';
        const std::string name = text::percentDecoded(part);
        if (name.find_first_of(":#%?*\"<>|/\\") != std::string::npos) file.misreadInMoniker = true;
        file.path += name;
    }
    if (!text::isValidUtf8(file.path)) file.misreadInMoniker = true;
    return file;
}

class EditableName : public automation::Name {
  public:
    EditableName(std::shared_ptr<EditState> state, std::size_t index)
        : state_(std::move(state)), index_(index) {}

    std::string name() const override {
        const book::Name& n = entry();
        // A file may give a name a sheet that it does not have; the read-only
        // path shows such a name by its text alone, and so does this one.
        if (!n.scope || *n.scope >= state_->model.sheetCount()) return n.name;
        return formula::quotedSheetName(state_->model.sheet(*n.scope).name()) + "!" + n.name;
    }
    std::string refersTo() const override {
        entry();
        return state_->model.nameRefersTo(index_);
    }
    std::shared_ptr<automation::Range> refersToRange() const override {
        entry();
        return rangeOfModelName(state_, index_);
    }

  private:
    const book::Name& entry() const {
        const auto& names = state_->model.names();
        if (index_ >= names.size())
            throw AutomationError(errnum::kApplicationDefined, "the name was deleted");
        return names[index_];
    }

    std::shared_ptr<EditState> state_;
    std::size_t index_;
};

[[noreturn]] void refuseName(const std::string& name, const std::string& why) {
    throw AutomationError(errnum::kApplicationDefined, "'" + name + "' is no valid name: " + why);
}

}  // namespace

std::size_t SheetHandle::index() const {
    const book::Workbook& model = state_->model;
    for (std::size_t i = 0; i < model.sheetCount(); ++i)
        if (&model.sheet(i) == sheet_) return i;
    throw AutomationError(errnum::kApplicationDefined, "the sheet was deleted");
}

SheetHandle handleOf(const std::shared_ptr<EditState>& state, std::size_t index) {
    return SheetHandle(state, &state->model.sheet(index));
}

std::shared_ptr<automation::Range> rangeOfModelName(const std::shared_ptr<EditState>& state,
                                                    std::size_t index) {
    auto areas = state->model.nameAreas(index);
    if (areas.empty() || areas.front().firstSheet != areas.front().lastSheet ||
        static_cast<std::size_t>(areas.front().firstSheet) >= state->model.sheetCount())
        throw AutomationError(errnum::kApplicationDefined,
                              "name '" + state->model.names()[index].name + "' refers to no range");
    return std::make_shared<EditableRange>(handleOf(state, areas.front().firstSheet),
                                           areas.front().area);
}

std::string EditableWorksheet::name() const {
    return sheet_.sheet().name();
}

std::shared_ptr<automation::Range> EditableWorksheet::cells(std::int32_t row,
                                                            std::int32_t column) const {
    if (!sheet_.sheet().isWorksheet())
        throw AutomationError(errnum::kApplicationDefined, "sheet '" + name() + "' has no cells");
    const formula::Grid& grid = sheet_.state().model.grid();
    if (row < 1 || row > grid.lastRow + 1 || column < 1 || column > grid.lastCol + 1)
        throw AutomationError(errnum::kApplicationDefined, "cell (" + std::to_string(row) + ", " +
                                                               std::to_string(column) +
                                                               ") is outside the sheet");
    return std::make_shared<EditableRange>(sheet_,
                                           formula::Area{row - 1, column - 1, row - 1, column - 1});
}

bool EditableWorksheet::enterRow(std::int32_t row, std::span<const std::int32_t> columns,
                                 std::span<const automation::Variant> entries) const {
    const std::size_t count = std::min(columns.size(), entries.size());
    bool all = columns.size() == entries.size();
    book::Sheet* sheet = nullptr;
    automation::ignoringFailure([&] { sheet = &sheet_.sheet(); });
    if (!sheet || !sheet->isWorksheet()) return all && count == 0;
    book::Workbook& model = sheet_.state().model;
    const formula::Grid& grid = model.grid();
    const bool rowInGrid = row >= 1 && row <= grid.lastRow + 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t column = columns[i];
        all = rowInGrid && column >= 1 && column <= grid.lastCol + 1 &&
              automation::ignoringFailure([&] {
                  editing([&] { enterValue(model, *sheet, row - 1, column - 1, entries[i]); });
              }) &&
              all;
    }
    return all;
}

std::shared_ptr<automation::Range> EditableWorksheet::range(const std::string& reference) const {
    auto ref = formula::parseA1Reference(reference, sheet_.state().model.grid());
    if (!ref || ref->sheet)
        throw AutomationError(errnum::kApplicationDefined,
                              "'" + reference + "' is not a cell reference on this sheet");
    return std::make_shared<EditableRange>(sheet_, ref->area);
}

std::shared_ptr<automation::Range> EditableWorksheet::usedRange() const {
    const book::Sheet& sheet = sheet_.sheet();
    if (!sheet.isWorksheet())
        throw AutomationError(errnum::kApplicationDefined, "sheet '" + name() + "' has no cells");
    std::int32_t lastRow = 0;
    std::int32_t lastCol = 0;
    sheet.cells().forEach([&](const book::Cell& c) {
        lastRow = std::max<std::int32_t>(lastRow, static_cast<std::int32_t>(c.row));
        lastCol = std::max<std::int32_t>(lastCol, static_cast<std::int32_t>(c.col));
    });
    return std::make_shared<EditableRange>(sheet_, formula::Area{0, 0, lastRow, lastCol});
}

void EditableWorksheet::setName(const std::string& name) {
    editing([&] { sheet_.state().model.renameSheet(sheet_.index(), name); });
}

void EditableWorksheet::select() {
    editing([&] { sheet_.state().model.setActiveSheet(sheet_.index()); });
}

void EditableWorksheet::addHyperlink(const automation::Range& anchor, const std::string& address,
                                     const std::string& textToDisplay) {
    auto* at = dynamic_cast<const EditableRange*>(&anchor);
    if (!at || !at->sheet().sameSheet(sheet_))
        throw AutomationError(errnum::kApplicationDefined,
                              "the anchor of a hyperlink must be a range of this sheet");
    editing([&] {
        book::Sheet& sheet = sheet_.sheet();
        const formula::Area& area = at->area();
        sheet.removeHyperlinks(area);
        if (book::linkKindOf(address) == book::LinkKind::RelativeFile) {
            RelativeFile file = relativeFileOf(address);
            if (file.location.empty() && file.misreadInMoniker) {
                // Readers take a file moniker's path for a URL or a share
                // ("mailto:a.xls", "\\host\x.xls", "a#b.xls"); as a
                // relative URL, escapes and all, every reader resolves it
                // to the file beside the workbook.
                std::string url(address);
                std::replace(url.begin(), url.end(), '\\', '/');
                sheet.addRelativeUrlHyperlink(area, std::move(url), textToDisplay);
            } else {
                sheet.addFileHyperlink(area, file.upLevels, std::move(file.path), textToDisplay,
                                       std::move(file.location));
            }
        } else {
            sheet.addHyperlink(area, address, textToDisplay);
        }
        // The anchor cell shows the link's text, as the application makes it.
        if (!textToDisplay.empty()) {
            const book::Cell* cell = sheet.find(area.firstRow, area.firstCol);
            std::uint16_t xf = cell ? cell->xf : 15;
            sheet.setText(area.firstRow, area.firstCol, textToDisplay, xf);
        }
    });
}

std::int32_t EditableSheets::count() const {
    return static_cast<std::int32_t>(state_->model.sheetCount());
}

std::shared_ptr<automation::Worksheet> EditableSheets::item(std::int32_t index) const {
    if (index < 1 || index > count())
        throw AutomationError(errnum::kSubscriptOutOfRange,
                              "sheet " + std::to_string(index) + " of " + std::to_string(count()));
    return std::make_shared<EditableWorksheet>(handleOf(state_, index - 1));
}

std::shared_ptr<automation::Worksheet> EditableSheets::item(const std::string& name) const {
    auto index = state_->model.findSheet(name);
    if (!index)
        throw AutomationError(errnum::kSubscriptOutOfRange, "no sheet named '" + name + "'");
    return std::make_shared<EditableWorksheet>(handleOf(state_, *index));
}

std::shared_ptr<automation::Worksheet> EditableSheets::add(const std::string& name) {
    std::size_t index = 0;
    editing([&] {
        state_->model.addSheet(name);
        index = state_->model.sheetCount() - 1;
    });
    return std::make_shared<EditableWorksheet>(handleOf(state_, index));
}

std::int32_t EditableNames::count() const {
    return static_cast<std::int32_t>(state_->model.names().size());
}

std::shared_ptr<automation::Name> EditableNames::item(std::int32_t index) const {
    if (index < 1 || index > count())
        throw AutomationError(errnum::kApplicationDefined,
                              "name " + std::to_string(index) + " of " + std::to_string(count()));
    return std::make_shared<EditableName>(state_, static_cast<std::size_t>(index - 1));
}

void EditableNames::add(const std::string& name, const std::string& refersToR1C1) {
    auto check = input::checkDefinedName(name);
    if (!check.valid) refuseName(name, check.reason);
    auto ref = input::parseR1C1Reference(refersToR1C1);
    if (!ref)
        throw AutomationError(errnum::kApplicationDefined,
                              "'" + refersToR1C1 + "' is not a reference in R1C1 style");
    std::size_t sheet = state_->model.activeSheet();
    if (ref->sheet) {
        auto found = state_->model.findSheet(*ref->sheet);
        if (!found)
            throw AutomationError(errnum::kApplicationDefined,
                                  "no sheet named '" + *ref->sheet + "'");
        sheet = *found;
    }
    auto at = static_cast<std::int32_t>(sheet);
    editing([&] { state_->model.setName(name, std::nullopt, {at, at, ref->area}); });
}

void EditableNames::add(const std::string& name, const automation::Range& refersTo) {
    auto check = input::checkDefinedName(name);
    if (!check.valid) refuseName(name, check.reason);
    auto* range = dynamic_cast<const EditableRange*>(&refersTo);
    if (!range || range->sheet().shared() != state_)
        throw AutomationError(errnum::kApplicationDefined,
                              "a name can refer only to a range of its own workbook");
    auto at = static_cast<std::int32_t>(range->sheet().index());
    editing([&] { state_->model.setName(name, std::nullopt, {at, at, range->area()}); });
}

}  // namespace xls::native
