#pragma once

#include <memory>

namespace mokuji::platform::win32 {

// COM for the calling thread, as a single-threaded apartment, for as long
// as this object lives. A thread that already entered COM keeps its own
// apartment; the balance is kept either way (only a successful entry is
// left again). Must be destroyed on the thread that made it.
class ComApartment {
  public:
    // Throws AutomationError (kCannotCreateObject) when COM cannot start.
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool entered_ = false;
};

// Shared by every object of one application instance: proxies must be
// released before their thread leaves COM, however long a caller keeps a
// handle.
using ComSession = std::shared_ptr<const ComApartment>;

}  // namespace mokuji::platform::win32
