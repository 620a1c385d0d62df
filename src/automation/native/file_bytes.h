#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "automation/automation_error.h"

namespace xls::native {

// The whole content of a compound file or zip archive named by a UTF-8 path;
// of any other file, only its first mebibyte, which is enough to tell what it
// holds. Throws
// automation::AutomationError saying why it cannot be read: missing, a
// folder, no permission, too large.
std::shared_ptr<std::vector<std::uint8_t>> readFileBytes(const std::string& path);

struct ForeignContent {
    automation::FileContent kind = automation::FileContent::Unknown;
    std::string description;  // "is ...", to follow the file's name
};

// What a file that is not a compound file holds, judged by its first bytes
// (and, for a zip archive, its directory), for the message that explains why
// it is not read.
ForeignContent identifyForeignContent(const std::vector<std::uint8_t>& bytes);
std::string describeForeignContent(const std::vector<std::uint8_t>& bytes);

// Throws the automation::AutomationError for a file named like a workbook
// that holds something else: OpenFailure::NotAWorkbook with what was found.
[[noreturn]] void failAsForeignContent(const std::string& path,
                                       const std::vector<std::uint8_t>& bytes);
[[noreturn]] void failAsForeignContent(const std::string& path, const ForeignContent& found);

}  // namespace xls::native
