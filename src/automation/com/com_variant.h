#pragma once

#include <oaidl.h>

#include <cstdint>
#include <string>

#include "automation/com/dispatch_ptr.h"
#include "automation/variant.h"

namespace mokuji::com {

// Owns one VARIANT (its string, array or object is freed with it). The
// constructors give the variant types the application's members expect:
// 16-bit integers for enumerations, 32-bit ones for rows and columns.
class ComVariant {
  public:
    ComVariant() { VariantInit(&v_); }
    ComVariant(std::int16_t i);
    ComVariant(std::int32_t i);
    ComVariant(double d);
    ComVariant(bool b);
    ComVariant(const std::string& utf8);
    ComVariant(const char* utf8) : ComVariant(std::string(utf8)) {}
    ComVariant(const DispatchPtr& object);
    ComVariant(const automation::Variant& value);
    ComVariant(ComVariant&& o) noexcept;
    ComVariant& operator=(ComVariant&& o) noexcept;
    ComVariant(const ComVariant&) = delete;
    ComVariant& operator=(const ComVariant&) = delete;
    ~ComVariant() { VariantClear(&v_); }

    const VARIANT& get() const { return v_; }
    // For a callee to fill; what was held is freed first.
    VARIANT* out() {
        VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

// An enumeration value as the application takes it: 16 bits when it fits.
ComVariant EnumArgument(std::int32_t value);

// The value as the object model gives it. A cell error becomes an
// ErrorValue, several cells an array; an object or anything else that is no
// value throws AutomationError (type mismatch).
automation::Variant ToAutomation(const VARIANT& v);

// A result that must be an object (a collection, a range...). Throws
// AutomationError (object required) otherwise.
DispatchPtr ToObject(const VARIANT& v);

// The standard coercion to a 32-bit integer; throws AutomationError (type
// mismatch or overflow).
std::int32_t ToLong(const VARIANT& v);
std::string ToText(const VARIANT& v);

}  // namespace mokuji::com
