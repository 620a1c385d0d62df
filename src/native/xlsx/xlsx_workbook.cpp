#include "native/xlsx/xlsx_workbook.h"

#include "native/formula/name_formula_compiler.h"
#include "native/text/ascii.h"
#include "native/xlsx/cell_text.h"
#include "native/xlsx/document_properties.h"
#include "native/xlsx/shared_strings.h"
#include "native/xlsx/styles.h"
#include "native/xlsx/tables.h"
#include "native/xlsx/xlsx_error.h"

namespace xls::xlsx {

namespace {

// Built-in names carry this prefix in these parts; the binary model keeps
// their English name without it.
constexpr std::string_view kBuiltinPrefix = "_xlnm.";

const Relationship* relationshipOf(const std::vector<Relationship>& rels, std::string_view kind) {
    for (const auto& r : rels)
        if (!r.external && r.is(kind)) return &r;
    return nullptr;
}

std::string partOf(const Package& package, const Relationship* rel) {
    if (!rel || !package.has(rel->target)) return {};
    return rel->target;
}

biff::SheetKind kindOf(const Relationship& rel) {
    if (rel.is("worksheet")) return biff::SheetKind::Worksheet;
    if (rel.is("chartsheet")) return biff::SheetKind::Chart;
    return biff::SheetKind::MacroSheet;
}

}  // namespace

Workbook::Workbook(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
    : package_(std::move(bytes)) {}

std::unique_ptr<Workbook> Workbook::open(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    std::unique_ptr<Workbook> book(new Workbook(std::move(bytes)));
    auto rels = book->package_.relationships("");
    const Relationship* main = relationshipOf(rels, "officeDocument");
    if (!main) throw XlsxError("package has no main document: it is not a workbook");
    book->readWorkbookPart(main->target);
    book->corePart_ = partOf(book->package_, relationshipOf(rels, "core-properties"));
    // Strict packages name this one differently, not only in the namespace.
    const Relationship* extendedRel = relationshipOf(rels, "extended-properties");
    if (!extendedRel) extendedRel = relationshipOf(rels, "extendedProperties");
    book->extendedPart_ = partOf(book->package_, extendedRel);
    return book;
}

const std::optional<propset::BuiltinProperty>& Workbook::property(std::size_t index) {
    static const std::optional<propset::BuiltinProperty> kNone;
    if (index >= properties_.size()) return kNone;
    const PropertyPart which = propertyPart(static_cast<int>(index));
    std::string& part = which == PropertyPart::Core ? corePart_ : extendedPart_;
    if (which != PropertyPart::None && !part.empty()) {
        const std::string name = std::move(part);
        part.clear();
        // Properties are a bonus: a damaged part must not cost the cell values.
        try {
            readDocumentProperties(package_.readTree(name), which, properties_);
        } catch (const XlsxError&) {
        }
    }
    return properties_[index];
}

void Workbook::readWorkbookPart(const std::string& part) {
    Element root = package_.readTree(part);
    if (root.local != "workbook")
        throw XlsxError("main part " + part + " is a " + std::string(root.local) +
                        ", not a workbook");
    auto rels = package_.relationships(part);

    if (const Element* pr = root.child("workbookPr"))
        globals_.date1904 = isTrue(pr->attribute("date1904"));

    std::vector<std::string> sheetParts;
    if (const Element* sheets = root.child("sheets")) {
        for (const Element* s : sheets->childrenNamed("sheet")) {
            biff::SheetEntry entry;
            entry.name = std::string(s->attribute("name").value_or(""));
            auto state = s->attribute("state").value_or("visible");
            entry.visibility = state == "hidden"       ? biff::Visibility::Hidden
                               : state == "veryHidden" ? biff::Visibility::VeryHidden
                                                       : biff::Visibility::Visible;
            auto id = s->anyAttribute("id").value_or("");
            const Relationship* rel = nullptr;
            for (const auto& r : rels)
                if (r.id == id) rel = &r;
            std::string target, fault;
            // A sheet whose part cannot be found is taken for a worksheet:
            // its cells are asked for, and are then named unreadable rather
            // than read as blanks.
            if (!rel) {
                fault = "sheet '" + entry.name + "' has no relationship '" + std::string(id) + "'";
            } else {
                entry.kind = kindOf(*rel);
                const bool holdsCells = entry.kind == biff::SheetKind::Worksheet;
                if (holdsCells && rel->external)
                    fault = "sheet '" + entry.name + "' is outside the package: " + rel->target;
                else if (holdsCells)
                    target = rel->target;
            }
            globals_.sheets.push_back(std::move(entry));
            sheetParts.push_back(std::move(target));
            sheetFaults_.push_back(std::move(fault));
        }
    }
    if (globals_.sheets.empty()) throw XlsxError("workbook part " + part + " lists no sheets");
    if (globals_.sheets.size() > 0x7FFF) throw XlsxError("workbook lists too many sheets");
    sheets_.resize(sheetParts.size());
    for (std::size_t i = 0; i < sheetParts.size(); ++i)
        if (!sheetParts[i].empty())
            sheets_[i] = std::make_unique<SheetCells>(package_, sheetParts[i], globals_.date1904);

    if (const Element* views = root.child("bookViews"))
        if (const Element* view = views->child("workbookView"))
            if (auto tab = numberOf(view->attribute("activeTab").value_or("")))
                if (*tab >= 0 && *tab < static_cast<double>(globals_.sheets.size()))
                    activeSheet_ = static_cast<std::size_t>(*tab);

    if (const Relationship* styles = relationshipOf(rels, "styles"))
        // Fonts, fills and the rest after the cell formats mean nothing to
        // a value.
        if (package_.has(styles->target))
            readStyles(package_.readTree(styles->target, "cellXfs"), globals_);
    if (const Relationship* strings = relationshipOf(rels, "sharedStrings"))
        sharedStringsPart_ = strings->target;

    // Names first, then their text, which may name the others.
    std::vector<std::string> texts;
    if (const Element* names = root.child("definedNames")) {
        for (const Element* n : names->childrenNamed("definedName")) {
            biff::DefinedName name;
            std::string_view full = n->attribute("name").value_or("");
            if (full.substr(0, kBuiltinPrefix.size()) == kBuiltinPrefix) {
                name.builtin = true;
                full.remove_prefix(kBuiltinPrefix.size());
            }
            name.name = std::string(full);
            name.hidden = isTrue(n->attribute("hidden"));
            name.isFunction =
                isTrue(n->attribute("function")) || isTrue(n->attribute("vbProcedure"));
            if (auto local = numberOf(n->attribute("localSheetId").value_or(""))) {
                if (*local < 0 || *local >= static_cast<double>(globals_.sheets.size())) continue;
                name.sheetIndex = static_cast<std::uint16_t>(*local + 1);
            }
            globals_.names.push_back(std::move(name));
            texts.push_back(n->text);
        }
    }
    formula::NameCompileContext context;
    context.sheets = [this](std::string_view first,
                            std::string_view last) -> std::optional<std::uint16_t> {
        std::optional<std::int16_t> a, b;
        for (std::size_t s = 0; s < globals_.sheets.size(); ++s) {
            if (!a && text::equalsIgnoringAsciiCase(globals_.sheets[s].name, first))
                a = static_cast<std::int16_t>(s);
            if (!b && text::equalsIgnoringAsciiCase(globals_.sheets[s].name, last))
                b = static_cast<std::int16_t>(s);
        }
        if (!a || !b) return std::nullopt;
        if (*a > *b) std::swap(a, b);
        auto& table = globals_.externSheet;
        for (std::size_t x = 0; x < table.size(); ++x)
            if (table[x].firstSheet == *a && table[x].lastSheet == *b)
                return static_cast<std::uint16_t>(x);
        if (table.size() >= 0xFFFF) return std::nullopt;
        table.push_back({0, *a, *b});
        return static_cast<std::uint16_t>(table.size() - 1);
    };
    // Tables are read only for a name that uses one.
    std::optional<std::vector<Table>> tables;
    context.table =
        [&](std::string_view name,
            std::string_view specifier) -> std::optional<formula::NameCompileContext::TableArea> {
        if (!tables) tables = readTables(package_, sheetParts);
        for (const auto& t : *tables) {
            if (!text::equalsIgnoringAsciiCase(t.name, name)) continue;
            auto area = tableArea(t, specifier);
            if (!area) return std::nullopt;
            return formula::NameCompileContext::TableArea{globals_.sheets[t.sheet].name, *area};
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::uint16_t scope = globals_.names[i].sheetIndex;
        // A name of the defining name's own sheet comes before a
        // workbook-level one of the same text.
        context.name = [this, scope](std::string_view text) -> std::optional<std::uint32_t> {
            std::optional<std::uint32_t> global;
            for (std::size_t k = 0; k < globals_.names.size(); ++k) {
                const auto& other = globals_.names[k];
                if (other.builtin || !text::equalsIgnoringAsciiCase(other.name, text)) continue;
                if (scope != 0 && other.sheetIndex == scope)
                    return static_cast<std::uint32_t>(k + 1);
                if (other.sheetIndex == 0 && !global) global = static_cast<std::uint32_t>(k + 1);
            }
            return global;
        };
        if (auto rgce = formula::compileNameFormula(texts[i], context))
            globals_.names[i].rgce = std::move(*rgce);
        else
            globals_.names[i].pastTheGrid = formula::referencesPastTheGrid(texts[i]);
    }
}

const std::string& Workbook::sharedString(std::uint32_t index) {
    if (!sharedStrings_) {
        sharedStrings_.emplace();
        if (!sharedStringsPart_.empty() && package_.has(sharedStringsPart_)) {
            try {
                *sharedStrings_ = readSharedStrings(package_, sharedStringsPart_);
            } catch (...) {
                sharedStrings_.reset();
                throw;
            }
        }
    }
    // The writer lost the text the cell stands for: the value is not there
    // to read, which is damage, not an empty cell.
    if (index >= sharedStrings_->size())
        throw XlsxError("a cell uses shared string " + std::to_string(index) + " of " +
                        std::to_string(sharedStrings_->size()));
    return (*sharedStrings_)[index];
}

void Workbook::checkSheet(std::size_t sheet) const {
    if (sheet < sheetFaults_.size() && !sheetFaults_[sheet].empty())
        throw XlsxError(sheetFaults_[sheet]);
}

std::optional<biff::Cell> Workbook::find(std::size_t sheet, std::uint16_t row, std::uint16_t col) {
    checkSheet(sheet);
    if (sheet >= sheets_.size() || !sheets_[sheet]) return std::nullopt;
    auto found = sheets_[sheet]->find(row, col);
    if (!found) return std::nullopt;
    return cellOf(*sheets_[sheet], *found);
}

std::vector<biff::Cell> Workbook::cells(std::size_t sheet) {
    std::vector<biff::Cell> out;
    checkSheet(sheet);
    if (sheet >= sheets_.size() || !sheets_[sheet]) return out;
    for (const auto& c : sheets_[sheet]->all()) out.push_back(cellOf(*sheets_[sheet], c));
    return out;
}

biff::Cell Workbook::cellOf(SheetCells& sheet, const SheetCell& found) {
    biff::Cell cell;
    cell.row = found.row;
    cell.col = found.col;
    cell.xf = found.xf;
    switch (found.kind) {
        case SheetCell::Kind::Number:
            cell.type = biff::CellType::Number;
            cell.number = found.number;
            break;
        case SheetCell::Kind::SharedString:
            cell.type = biff::CellType::String;
            cell.text = sharedString(found.index);
            break;
        case SheetCell::Kind::Text:
            cell.type = biff::CellType::String;
            cell.text = sheet.text(found.index);
            break;
        case SheetCell::Kind::Boolean:
            cell.type = biff::CellType::Boolean;
            cell.code = found.code;
            break;
        case SheetCell::Kind::Error:
            cell.type = biff::CellType::Error;
            cell.code = found.code;
            break;
    }
    return cell;
}

}  // namespace xls::xlsx
