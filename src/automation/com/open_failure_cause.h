#pragma once

#include <string>

#include "automation/automation_error.h"

namespace mokuji::com {

// Why the application could not open the workbook at `path`, as far as the
// file system tells: the application's own message is in the user's
// language and no basis for a decision. Anything else is Other.
automation::OpenFailure OpenFailureOf(const std::string& path, automation::FileContent& content);

}  // namespace mokuji::com
