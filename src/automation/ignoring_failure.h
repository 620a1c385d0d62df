#pragma once

#include <memory>

#include "automation/automation_error.h"

namespace automation {

// Where a run must go on past a failing spreadsheet operation (shutting the
// application down, writing the list), each operation is wrapped on its own
// so that one failure skips that operation only.
template <typename Operation>
bool ignoringFailure(Operation&& operation) {
    try {
        operation();
        return true;
    } catch (const automation::AutomationError&) {
        return false;
    }
}

// The object an operation yields, or null when it fails.
template <typename Get>
auto objectOrNull(Get&& get) -> decltype(get()) {
    try {
        return get();
    } catch (const automation::AutomationError&) {
        return nullptr;
    }
}

// An implementation may hand out no object where the application would;
// using it then fails the way a call on Nothing does.
template <typename T>
T& required(const std::shared_ptr<T>& object) {
    if (!object)
        throw automation::AutomationError(automation::errnum::kObjectRequired, "no object");
    return *object;
}

}  // namespace automation
