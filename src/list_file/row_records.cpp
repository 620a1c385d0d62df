#include "list_file/row_records.h"

#include "native/biff/worksheet.h"
#include "native/text/json_string.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "automation/ole_date.h"
#include "list_file/property_names.h"
#include "os/name_text.h"

namespace mokuji::list_file {

namespace {

using automation::Variant;

// A value as a record holds it: text (for CSV the field as it stands, for
// JSON a string to quote), a bare literal (a number or a boolean), or
// nothing.
struct Field {
    enum class Kind { Empty, Text, Literal } kind = Kind::Empty;
    std::string text;
};

Field numberField(double number, bool& asText) {
    if (auto text = NumberText(number)) return {Field::Kind::Literal, *text};
    asText = true;
    return {Field::Kind::Text, "#NUM!"};
}

Field fieldOf(const Variant& value, RowFormat format, bool& asText) {
    using Type = Variant::Type;
    switch (value.type()) {
        case Type::String: {
            const std::string& text = *value.get<std::string>();
            if (text.empty()) return {};
            return {Field::Kind::Text, text};
        }
        case Type::Integer:
            return {Field::Kind::Literal, std::to_string(*value.get<std::int16_t>())};
        case Type::Long:
            return {Field::Kind::Literal, std::to_string(*value.get<std::int32_t>())};
        case Type::Double:
            return numberField(*value.get<double>(), asText);
        case Type::Currency:
            return numberField(static_cast<double>(value.get<automation::Currency>()->scaled) / 1e4,
                               asText);
        case Type::Date: {
            const double serial = value.get<automation::Date>()->serial;
            if (auto text = IsoDateText(serial)) return {Field::Kind::Text, *text};
            // The list holds such a value as the number it is.
            return numberField(serial, asText);
        }
        case Type::Boolean: {
            const bool b = *value.get<bool>();
            if (format == RowFormat::Csv) return {Field::Kind::Literal, b ? "TRUE" : "FALSE"};
            return {Field::Kind::Literal, b ? "true" : "false"};
        }
        case Type::Error: {
            // The application's error numbers are the cells' codes from 2000 on.
            const std::int32_t code = value.get<automation::ErrorValue>()->code - 2000;
            const std::string_view text =
                code >= 0 && code < 256 ? xls::biff::cellErrorText(static_cast<std::uint8_t>(code))
                                        : std::string_view();
            return {Field::Kind::Text, std::string(text.empty() ? "#N/A" : text)};
        }
        case Type::Empty:
        case Type::Array:
            break;
    }
    return {};
}

void appendCsvField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendField(std::string& out, const Field& field, RowFormat format) {
    if (format == RowFormat::Csv) {
        appendCsvField(out, field.text);
    } else if (field.kind == Field::Kind::Empty) {
        out += "null";
    } else if (field.kind == Field::Kind::Literal) {
        out += field.text;
    } else {
        xls::text::appendJsonString(out, field.text);
    }
}

}  // namespace

std::optional<std::string> NumberText(double number) {
    if (!std::isfinite(number)) return std::nullopt;
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, number);
    if (error != std::errc()) return std::nullopt;
    return std::string(digits, end);
}

std::optional<std::string> IsoDateText(double serial) {
    const auto t = automation::civilFromOleDate(serial);
    if (!t) return std::nullopt;
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%02u:%02u:%02u", t->hour, t->minute, t->second);
    const std::string time(text, static_cast<std::size_t>(n));
    // As the list formats it: a value below one day is a time alone.
    if (serial >= 0 && serial < 1) return time;
    const int m = std::snprintf(text, sizeof text, "%04d-%02u-%02u", t->year, t->month, t->day);
    std::string date(text, static_cast<std::size_t>(m));
    if (serial != std::trunc(serial)) date += "T" + time;
    return date;
}

std::string RowRecordsText(const RowStore& rows, const ColumnTable& columns,
                           const RowRecordOptions& options, ListWorkbookResult& result) {
    const RowFormat format = options.format;
    std::vector<std::string> names;
    for (int j = 1; j <= columns.size(); ++j) {
        if (!columns.g_item_name[j].empty()) names.push_back(columns.g_item_name[j]);
    }
    std::string out;
    if (options.byteOrderMark) out += "\xEF\xBB\xBF";
    if (format == RowFormat::Csv) {
        for (std::size_t k = 0; k < names.size(); ++k) {
            if (k > 0) out += ',';
            appendCsvField(out, names[k]);
        }
        out += "\r\n";
    }
    for (const ListRow& row : rows.rows) {
        if (format == RowFormat::JsonLines) out += '{';
        for (std::size_t k = 0; k < names.size(); ++k) {
            const std::string& name = names[k];
            Field field;
            bool asText = false;
            if (name == kFileNameColumn) {
                field = {Field::Kind::Text, os::ShownName(row.fileName)};
            } else if (k < row.values.size() && name == kFolderColumn) {
                field = fieldOf(Variant(os::ShownName(row.values[k].toText())), format, asText);
            } else if (k < row.values.size()) {
                field = fieldOf(row.values[k], format, asText);
            }
            if (asText) result.valuesAsText.push_back({row.fileName, name});
            if (k > 0) out += ',';
            if (format == RowFormat::JsonLines) {
                xls::text::appendJsonString(out, name);
                out += ':';
            }
            appendField(out, field, format);
        }
        out += format == RowFormat::Csv ? "\r\n" : "}\n";
        ++result.rowsWritten;
    }
    return out;
}

}  // namespace mokuji::list_file
