#include "automation/object_model.h"

namespace automation {

void memberNotSupported(const char* member) {
    throw AutomationError(errnum::kMemberNotSupported,
                          std::string(member) + ": the object does not support this member");
}

}  // namespace automation
