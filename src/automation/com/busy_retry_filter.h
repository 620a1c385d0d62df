#pragma once

#include <objbase.h>

namespace mokuji::com {

// The answer to an application that is busy: a call it rejects with "retry
// later" (it is starting, or still working on the last call) is tried
// again every tenth of a second for up to half a minute before it fails.
// Without it such a call fails at once, and a workbook would be skipped or
// a list cell left empty for no reason the user could see.
class BusyRetryFilter final : public IMessageFilter {
  public:
    static constexpr DWORD kRetryAfterMilliseconds = 100;
    static constexpr DWORD kGiveUpAfterMilliseconds = 30000;

    // IUnknown; the object deletes itself with its last reference.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IMessageFilter
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                               LPINTERFACEINFO info) override;
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount,
                                              DWORD rejectType) override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount,
                                           DWORD pendingType) override;

  private:
    ~BusyRetryFilter() = default;
    LONG references_ = 1;
};

}  // namespace mokuji::com
