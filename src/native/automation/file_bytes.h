#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace xls::native {

// The whole content of a file named by a UTF-8 path. Throws
// automation::AutomationError saying why it cannot be read: missing, a
// folder, no permission, too large.
std::shared_ptr<const std::vector<std::uint8_t>> readFileBytes(const std::string& path);

// What a file that is not a compound file holds, judged by its first bytes,
// for the message that explains why it is not read.
std::string describeForeignContent(const std::vector<std::uint8_t>& bytes);

}  // namespace xls::native
