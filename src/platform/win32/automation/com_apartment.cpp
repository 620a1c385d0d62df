#include "platform/win32/automation/com_apartment.h"

#include <objbase.h>

#include <cstdio>

#include "automation/automation_error.h"

namespace mokuji::platform::win32 {

ComApartment::ComApartment() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr)) {
        entered_ = true;  // S_FALSE too: every successful call is balanced
    } else if (hr != RPC_E_CHANGED_MODE) {
        char text[80];
        std::snprintf(text, sizeof text, "COM could not be started (0x%08lX)",
                      static_cast<unsigned long>(hr));
        throw automation::AutomationError(automation::errnum::kCannotCreateObject, text);
    }
}

ComApartment::~ComApartment() {
    if (entered_) CoUninitialize();
}

}  // namespace mokuji::platform::win32
