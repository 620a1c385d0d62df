#include "automation/com/com_apartment.h"

#include <objbase.h>

#include <cstdio>

#include "automation/automation_error.h"
#include "automation/com/busy_retry_filter.h"

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
    // A thread of another apartment kind takes no message filter.
    if (!entered_) return;
    auto* filter = new BusyRetryFilter;
    filtered_ = SUCCEEDED(CoRegisterMessageFilter(filter, &previousFilter_));
    filter->Release();  // COM holds it while it is registered
}

ComApartment::~ComApartment() {
    if (filtered_) {
        IMessageFilter* ours = nullptr;
        CoRegisterMessageFilter(previousFilter_, &ours);
        if (ours) ours->Release();
        if (previousFilter_) previousFilter_->Release();
    }
    if (entered_) CoUninitialize();
}

}  // namespace mokuji::platform::win32
