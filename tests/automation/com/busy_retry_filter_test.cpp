// Calls the application rejects while it is busy: which are retried, for
// how long, and that an instance's apartment puts the filter in place and
// gives the thread's own back.

#include "automation/com/busy_retry_filter.h"

#include <gtest/gtest.h>

#include "automation/com/com_apartment.h"

namespace mokuji::com {
namespace {

IMessageFilter* currentFilter() {
    IMessageFilter* current = nullptr;
    CoRegisterMessageFilter(nullptr, &current);
    IMessageFilter* none = nullptr;
    CoRegisterMessageFilter(current, &none);
    if (current) current->Release();  // still registered, still alive
    return current;
}

TEST(BusyRetryFilter, RetriesABusyApplicationForHalfAMinuteAndNothingElse) {
    auto* filter = new BusyRetryFilter;
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER),
              BusyRetryFilter::kRetryAfterMilliseconds);
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, 29999, SERVERCALL_RETRYLATER),
              BusyRetryFilter::kRetryAfterMilliseconds);
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, 30000, SERVERCALL_RETRYLATER),
              static_cast<DWORD>(-1));
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, 0, SERVERCALL_REJECTED), static_cast<DWORD>(-1));
    EXPECT_EQ(filter->HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, 0, nullptr),
              static_cast<DWORD>(SERVERCALL_ISHANDLED));
    filter->Release();
}

TEST(BusyRetryFilter, EachApartmentPutsItInPlaceAndGivesTheEarlierBack) {
    ComApartment outer;
    IMessageFilter* first = currentFilter();
    ASSERT_NE(first, nullptr);
    {
        // A second instance on the same thread, ended first or last.
        auto inner = std::make_unique<ComApartment>();
        IMessageFilter* second = currentFilter();
        EXPECT_NE(second, nullptr);
        EXPECT_NE(second, first);
        inner.reset();
        EXPECT_EQ(currentFilter(), first);
    }
}

}  // namespace
}  // namespace mokuji::com
