#pragma once

#include <string>

#include "automation/automation_error.h"
#include "native/book/book_error.h"

namespace xls::native {

// Runs an edit of the model, reporting the model's refusals as the object
// model's errors.
template <typename Edit>
auto editing(Edit&& edit) -> decltype(edit()) {
    try {
        return edit();
    } catch (const book::BookError& e) {
        throw automation::AutomationError(automation::errnum::kApplicationDefined, e.what());
    }
}

}  // namespace xls::native
