#include "list_file/fallback_sheets.h"

#include <charconv>

namespace mokuji::list_file {

std::string FallbackSheetsRecord(const ColumnTable& table) {
    std::string lines;
    for (int j = 1; j <= table.size(); ++j) {
        const FallbackSheet& s = table.fallbackSheet[j];
        if (table.g_item_name[j].empty() || (s.name.empty() && s.position <= 1)) continue;
        lines += "\n" + table.g_item_name[j] + "\t" + std::to_string(s.position) + "\t" + s.name;
    }
    return lines.empty() ? "" : std::string(kFallbackSheetsHeading) + lines;
}

std::map<std::string, FallbackSheet> ReadFallbackSheets(std::string_view record) {
    std::map<std::string, FallbackSheet> sheets;
    if (!record.starts_with(kFallbackSheetsHeading)) return sheets;
    record.remove_prefix(kFallbackSheetsHeading.size());
    while (!record.empty()) {
        const std::size_t end = record.find('\n');
        std::string_view line = record.substr(0, end);
        record = end == std::string_view::npos ? std::string_view{} : record.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos || tab1 == 0) continue;
        FallbackSheet sheet;
        const std::string_view number = line.substr(tab1 + 1, tab2 - tab1 - 1);
        const auto [rest, error] =
            std::from_chars(number.data(), number.data() + number.size(), sheet.position);
        if (error != std::errc() || rest != number.data() + number.size() || sheet.position < 0)
            continue;
        sheet.name = std::string(line.substr(tab2 + 1));
        sheets[std::string(line.substr(0, tab1))] = std::move(sheet);
    }
    return sheets;
}

}  // namespace mokuji::list_file
