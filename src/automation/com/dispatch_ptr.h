#pragma once

#include <oaidl.h>

#include <utility>

namespace mokuji::com {

// Owns one reference to an IDispatch.
class DispatchPtr {
  public:
    DispatchPtr() = default;
    // Takes over a reference the caller already holds.
    static DispatchPtr Adopt(IDispatch* p) {
        DispatchPtr d;
        d.p_ = p;
        return d;
    }
    // Adds a reference of its own.
    static DispatchPtr Share(IDispatch* p) {
        if (p) p->AddRef();
        return Adopt(p);
    }
    DispatchPtr(const DispatchPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    DispatchPtr(DispatchPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    DispatchPtr& operator=(DispatchPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~DispatchPtr() { reset(); }

    void reset() noexcept {
        if (IDispatch* p = std::exchange(p_, nullptr)) p->Release();
    }
    IDispatch* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    IDispatch* p_ = nullptr;
};

}  // namespace mokuji::com
