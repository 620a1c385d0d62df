#pragma once

#include <objbase.h>

#include <memory>

namespace mokuji::com {

// COM for the calling thread, as a single-threaded apartment, for as long
// as this object lives. A thread that already entered COM keeps its own
// apartment; the balance is kept either way (only a successful entry is
// left again). While it lives, calls the application rejects as busy are
// retried (BusyRetryFilter); the thread's earlier filter comes back after.
// Must be destroyed on the thread that made it.
class ComApartment {
  public:
    // Throws AutomationError (kCannotCreateObject) when COM cannot start.
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool entered_ = false;
    bool filtered_ = false;
    // Held with a reference of its own, so restoring it is safe whatever
    // order apartments end in.
    IMessageFilter* previousFilter_ = nullptr;
};

// Shared by every object of one application instance: proxies must be
// released before their thread leaves COM, however long a caller keeps a
// handle.
using ComSession = std::shared_ptr<const ComApartment>;

}  // namespace mokuji::com
