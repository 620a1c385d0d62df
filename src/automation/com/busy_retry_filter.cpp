#include "automation/com/busy_retry_filter.h"

namespace mokuji::com {

HRESULT STDMETHODCALLTYPE BusyRetryFilter::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
        *object = static_cast<IMessageFilter*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE BusyRetryFilter::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE BusyRetryFilter::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

DWORD STDMETHODCALLTYPE BusyRetryFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
    return SERVERCALL_ISHANDLED;
}

DWORD STDMETHODCALLTYPE BusyRetryFilter::RetryRejectedCall(HTASK, DWORD tickCount,
                                                           DWORD rejectType) {
    // A plain rejection is final; only "retry later" is worth waiting for.
    if (rejectType != SERVERCALL_RETRYLATER || tickCount >= kGiveUpAfterMilliseconds)
        return static_cast<DWORD>(-1);
    return kRetryAfterMilliseconds;
}

DWORD STDMETHODCALLTYPE BusyRetryFilter::MessagePending(HTASK, DWORD, DWORD) {
    // The window keeps painting while a call waits.
    return PENDINGMSG_WAITDEFPROCESS;
}

}  // namespace mokuji::com
