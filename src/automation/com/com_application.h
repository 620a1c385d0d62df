#pragma once

#include <memory>

#include "automation/object_model.h"

namespace mokuji::com {

// The program identifier of the spreadsheet application's automation server.
inline constexpr wchar_t kApplicationProgId[] = L"Excel.Application";

// Starts one new, invisible instance of the installed spreadsheet
// application and drives it late-bound. Throws AutomationError
// (kCannotCreateObject) when it is not installed or does not start.
//
// The instance belongs to the calling thread. quit() asks it to end; if a
// caller never gets that far (it failed midway), destroying the object
// quits it all the same, so no instance lives on unseen.
std::unique_ptr<automation::Application> CreateComApplication();

// Whether the application is registered at all; starts nothing.
bool ComApplicationInstalled();

}  // namespace mokuji::com
