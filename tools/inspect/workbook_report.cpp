#include "workbook_report.h"

#include "native/text/json_string.h"
#include "run/workbook_row_reader.h"
#include "sheet_cells_report.h"

namespace mokuji::inspect {

namespace {

using automation::AutomationError;
using xls::text::jsonString;

// The sheet part of a sheet-level name's text, unquoted; "" for a
// workbook-level name.
std::string scopeOf(const std::string& nameText) {
    auto bang = nameText.rfind('!');
    if (bang == std::string::npos) return "";
    std::string sheet = nameText.substr(0, bang);
    if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'') {
        sheet = sheet.substr(1, sheet.size() - 2);
        for (std::size_t p = 0; (p = sheet.find("''", p)) != std::string::npos; ++p)
            sheet.erase(p, 1);
    }
    return sheet;
}

std::string describeName(automation::Name& name) {
    std::string text = name.name();
    std::string scope = scopeOf(text);
    std::string out = "{\"name\": " + jsonString(text) +
                      ", \"scope\": " + jsonString(scope.empty() ? "workbook" : scope);
    std::shared_ptr<automation::Range> range;
    try {
        range = name.refersToRange();
    } catch (const AutomationError& e) {
        return out + ", \"sheet\": null, \"refers_to\": " + jsonString(name.refersTo()) + "}";
    }
    out += ", \"sheet\": " + jsonString(range->worksheet()->name()) +
           ", \"row\": " + std::to_string(range->row()) +
           ", \"column\": " + std::to_string(range->column());
    if (range->rowCount() == 1 && range->columnCount() == 1) {
        try {
            out += ", \"value\": " + jsonString(range->value().toText());
        } catch (const AutomationError& e) {
            out += ", \"error\": " + jsonString(e.what());
        }
    } else {
        out += ", \"rows\": " + std::to_string(range->rowCount()) +
               ", \"columns\": " + std::to_string(range->columnCount());
    }
    return out + "}";
}

std::string describeProperty(automation::Workbook& book, int index,
                             const list_file::PropertyNameTable& prop_name) {
    auto property = book.builtinDocumentProperty(index);
    std::string out = "{\"index\": " + std::to_string(index) +
                      ", \"name\": " + jsonString(prop_name[index]) +
                      ", \"type\": " + std::to_string(property->type());
    try {
        if (auto value = run::PropertyValue(*property))
            out += ", \"set\": true, \"value\": " + jsonString(value->toText());
        else
            out += ", \"set\": false";
    } catch (const AutomationError&) {
        out += ", \"set\": false";
    }
    return out + "}";
}

}  // namespace

Report describeWorkbook(automation::Application& app, const std::string& path,
                        const list_file::PropertyNameTable& prop_name, bool withCells) {
    Report report;
    std::string head = "{\"file\": " + jsonString(path);
    std::shared_ptr<automation::Workbook> book;
    try {
        automation::OpenArguments args;
        args.fileName = path;
        args.updateLinks = 0;
        args.readOnly = true;
        args.ignoreReadOnlyRecommended = true;
        book = app.workbooks()->open(args);
    } catch (const AutomationError& e) {
        report.json = head + ", \"error\": " + jsonString(e.what()) +
                      ", \"names\": [], \"properties\": []" +
                      (withCells ? ", \"sheets\": []}" : "}");
        return report;
    }
    report.opened = true;

    std::string names;
    {
        auto collection = book->names();
        for (std::int32_t i = 1; i <= collection->count(); ++i) {
            if (i > 1) names += ",\n   ";
            names += describeName(*collection->item(i));
        }
    }
    std::string properties;
    for (int k = 1; k <= 30; ++k) {
        if (k > 1) properties += ",\n   ";
        properties += describeProperty(*book, k, prop_name);
    }
    report.json = head + ", \"error\": null,\n \"names\": [" + names + "],\n \"properties\": [" +
                  properties + "]";
    // The cells are read by a second opening of their own: the first goes
    // before, so that a large workbook is not held twice.
    try {
        book->close(false);
    } catch (const AutomationError&) {
    }
    book.reset();
    if (withCells) {
        try {
            report.json += ",\n \"sheets\": " + describeSheetCells(path);
        } catch (const AutomationError& e) {
            // Opened through the object model but not readable here: say so
            // rather than pass for a workbook without cells.
            report.json += ",\n \"sheets\": null, \"sheets_error\": " + jsonString(e.what());
        }
    }
    report.json += "}";
    return report;
}

}  // namespace mokuji::inspect
