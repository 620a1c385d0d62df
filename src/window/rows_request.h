#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "list_file/row_records.h"

namespace mokuji::window {

// A run that writes its rows for other programs instead of the list: to a
// file, or to standard output when the file is "-". The folder is read,
// never written: no list file, no lock, nothing opened.
struct RowsRequest {
    list_file::RowRecordOptions options;
    std::string file;
};

inline constexpr std::string_view kCsvOption = "--csv";
inline constexpr std::string_view kJsonLinesOption = "--jsonl";
inline constexpr std::string_view kByteOrderMarkOption = "--bom";
// The file name that stands for standard output.
inline constexpr std::string_view kStandardOutputName = "-";

// Hands the text to standard output whole; false when it could not.
using StandardOutput = std::function<bool(std::string_view)>;

}  // namespace mokuji::window
