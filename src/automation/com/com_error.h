#pragma once

#include <oaidl.h>

#include <string>

#include "automation/automation_error.h"

namespace mokuji::com {

// The error number a late-bound caller sees for a failed call: the
// application's own number for a failure it raised (1004 and the like),
// 438 for a member the object does not have, the HRESULT itself (negative)
// for failures of COM or RPC (the server gone, for instance).
long ErrorNumberOf(HRESULT hr);

// A failed Invoke as an AutomationError. Frees the strings of `info`.
automation::AutomationError InvokeError(const std::string& member, HRESULT hr, EXCEPINFO& info);

// A failure outside Invoke (GetIDsOfNames, object creation).
automation::AutomationError ComError(const std::string& what, HRESULT hr);

}  // namespace mokuji::com
