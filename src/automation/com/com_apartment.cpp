#include "automation/com/com_apartment.h"

#include <objbase.h>

#include "automation/automation_error.h"
#include "automation/com/busy_retry_filter.h"
#include "native/text/hex.h"

namespace mokuji::com {

ComApartment::ComApartment() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr)) {
        entered_ = true;  // S_FALSE too: every successful call is balanced
    } else if (hr != RPC_E_CHANGED_MODE) {
        throw automation::AutomationError(
            automation::errnum::kCannotCreateObject,
            "COM could not be started (" + xls::text::hexNumber(static_cast<std::uint32_t>(hr), 8) +
                ")");
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

}  // namespace mokuji::com
