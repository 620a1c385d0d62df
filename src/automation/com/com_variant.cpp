#include "automation/com/com_variant.h"

#include <oleauto.h>

#include <cstring>
#include <limits>
#include <memory>

#include "automation/automation_error.h"
#include "os/win32/wide_text.h"

namespace mokuji::com {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

// Cell errors arrive as VT_ERROR in the control facility, the worksheet
// error number in the low word (0x800A07E7 is #REF!, 2023).
constexpr std::uint32_t kCellErrorBase = 0x800A0000u;

// A workbook value never needs more; a larger array is no cell block.
constexpr std::int64_t kMaxArrayItems = std::int64_t{1} << 26;

[[noreturn]] void typeMismatch(const char* what) {
    throw AutomationError(errnum::kTypeMismatch, std::string("type mismatch: ") + what);
}

BSTR allocString(const std::string& utf8) {
    std::wstring w = os::win::Wide(utf8);
    BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    if (!b) throw std::bad_alloc();
    return b;
}

automation::Variant arrayValue(SAFEARRAY* a, VARTYPE elementType) {
    if (!a) typeMismatch("empty array");
    const UINT dims = SafeArrayGetDim(a);
    if (dims < 1 || dims > 2) typeMismatch("array of more than two dimensions");
    switch (elementType) {
        case VT_VARIANT:
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_BSTR:
        case VT_BOOL:
        case VT_ERROR:
        case VT_UI1:
            break;
        default:
            typeMismatch("array of objects or of an unknown kind");
    }
    LONG lower[2] = {0, 0};
    LONG upper[2] = {0, 0};
    for (UINT d = 0; d < dims; ++d) {
        if (FAILED(SafeArrayGetLBound(a, d + 1, &lower[d])) ||
            FAILED(SafeArrayGetUBound(a, d + 1, &upper[d])))
            typeMismatch("array bounds");
    }
    const std::int64_t rows = dims == 2 ? std::int64_t{upper[0]} - lower[0] + 1 : 1;
    const std::int64_t cols =
        dims == 2 ? std::int64_t{upper[1]} - lower[1] + 1 : std::int64_t{upper[0]} - lower[0] + 1;
    if (rows < 0 || cols < 0 || rows * cols > kMaxArrayItems) typeMismatch("array size");
    auto out = std::make_shared<automation::VariantArray>();
    out->rows = static_cast<std::int32_t>(rows);
    out->columns = static_cast<std::int32_t>(cols);
    out->items.reserve(static_cast<std::size_t>(rows * cols));
    for (std::int64_t r = 0; r < rows; ++r) {
        for (std::int64_t c = 0; c < cols; ++c) {
            LONG index[2];
            if (dims == 2) {
                index[0] = static_cast<LONG>(lower[0] + r);
                index[1] = static_cast<LONG>(lower[1] + c);
            } else {
                index[0] = static_cast<LONG>(lower[0] + c);
            }
            ComVariant item;
            HRESULT hr;
            if (elementType == VT_VARIANT) {
                hr = SafeArrayGetElement(a, index, item.out());
            } else {
                // A typed array: read the element through a variant of its type.
                // The type is set only once the element is there: a failed read
                // leaves nothing for the variant to free.
                ComVariant typed;
                VARIANT* t = typed.out();
                hr = SafeArrayGetElement(a, index, &t->lVal);
                if (SUCCEEDED(hr)) {
                    t->vt = elementType;
                    hr = VariantCopy(item.out(), const_cast<VARIANT*>(&typed.get()));
                }
            }
            if (FAILED(hr)) typeMismatch("array element");
            out->items.push_back(ToAutomation(item.get()));
        }
    }
    return automation::Variant(std::shared_ptr<const automation::VariantArray>(std::move(out)));
}

// Kinds the object model has no type for go through the runtime's own
// coercion: whole numbers to Long where they fit, the rest to Double.
automation::Variant coercedNumber(const VARIANT& v) {
    ComVariant asLong;
    if (SUCCEEDED(VariantChangeType(asLong.out(), const_cast<VARIANT*>(&v), 0, VT_I4)) &&
        (v.vt == VT_I1 || v.vt == VT_UI1 || v.vt == VT_UI2 || v.vt == VT_INT || v.vt == VT_UINT ||
         v.vt == VT_UI4 || v.vt == VT_I8 || v.vt == VT_UI8))
        return automation::Variant(static_cast<std::int32_t>(asLong.get().lVal));
    ComVariant asDouble;
    if (FAILED(VariantChangeType(asDouble.out(), const_cast<VARIANT*>(&v), 0, VT_R8)))
        typeMismatch("number");
    return automation::Variant(asDouble.get().dblVal);
}

}  // namespace

ComVariant::ComVariant(std::int16_t i) : ComVariant() {
    v_.vt = VT_I2;
    v_.iVal = i;
}

ComVariant::ComVariant(std::int32_t i) : ComVariant() {
    v_.vt = VT_I4;
    v_.lVal = i;
}

ComVariant::ComVariant(double d) : ComVariant() {
    v_.vt = VT_R8;
    v_.dblVal = d;
}

ComVariant::ComVariant(bool b) : ComVariant() {
    v_.vt = VT_BOOL;
    v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

ComVariant::ComVariant(const std::string& utf8) : ComVariant() {
    v_.bstrVal = allocString(utf8);
    v_.vt = VT_BSTR;
}

ComVariant::ComVariant(const DispatchPtr& object) : ComVariant() {
    v_.vt = VT_DISPATCH;
    v_.pdispVal = object.get();
    if (v_.pdispVal) v_.pdispVal->AddRef();
}

ComVariant::ComVariant(const automation::Variant& value) : ComVariant() {
    using T = automation::Variant::Type;
    switch (value.type()) {
        case T::Empty:
            break;
        case T::Integer:
            v_.vt = VT_I2;
            v_.iVal = *value.get<std::int16_t>();
            break;
        case T::Long:
            v_.vt = VT_I4;
            v_.lVal = *value.get<std::int32_t>();
            break;
        case T::Double:
            v_.vt = VT_R8;
            v_.dblVal = *value.get<double>();
            break;
        case T::Currency:
            v_.vt = VT_CY;
            v_.cyVal.int64 = value.get<automation::Currency>()->scaled;
            break;
        case T::Date:
            v_.vt = VT_DATE;
            v_.date = value.get<automation::Date>()->serial;
            break;
        case T::String:
            v_.bstrVal = allocString(*value.get<std::string>());
            v_.vt = VT_BSTR;
            break;
        case T::Boolean:
            v_.vt = VT_BOOL;
            v_.boolVal = *value.get<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case T::Error:
            v_.vt = VT_ERROR;
            v_.scode = static_cast<SCODE>(
                kCellErrorBase |
                (static_cast<std::uint32_t>(value.get<automation::ErrorValue>()->code) & 0xFFFFu));
            break;
        case T::Array:
            // No member of the object model takes an array.
            typeMismatch("an array cannot be passed");
    }
}

ComVariant::ComVariant(ComVariant&& o) noexcept {
    std::memcpy(&v_, &o.v_, sizeof v_);
    VariantInit(&o.v_);
}

ComVariant& ComVariant::operator=(ComVariant&& o) noexcept {
    if (this != &o) {
        VariantClear(&v_);
        std::memcpy(&v_, &o.v_, sizeof v_);
        VariantInit(&o.v_);
    }
    return *this;
}

ComVariant EnumArgument(std::int32_t value) {
    if (value >= std::numeric_limits<std::int16_t>::min() &&
        value <= std::numeric_limits<std::int16_t>::max())
        return ComVariant(static_cast<std::int16_t>(value));
    return ComVariant(value);
}

automation::Variant ToAutomation(const VARIANT& v) {
    if (v.vt & VT_BYREF) {
        ComVariant plain;
        if (FAILED(VariantCopyInd(plain.out(), const_cast<VARIANT*>(&v))))
            typeMismatch("reference");
        return ToAutomation(plain.get());
    }
    if (v.vt & VT_ARRAY) return arrayValue(v.parray, static_cast<VARTYPE>(v.vt & VT_TYPEMASK));
    switch (v.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_I2:
            return automation::Variant(static_cast<std::int16_t>(v.iVal));
        case VT_I4:
            return automation::Variant(static_cast<std::int32_t>(v.lVal));
        case VT_R8:
            return automation::Variant(v.dblVal);
        case VT_R4:
            return automation::Variant(static_cast<double>(v.fltVal));
        case VT_CY:
            return automation::Variant(automation::Currency{v.cyVal.int64});
        case VT_DATE:
            return automation::Variant(automation::Date{v.date});
        case VT_BSTR:
            return automation::Variant(
                os::win::Utf8(std::wstring_view(v.bstrVal, SysStringLen(v.bstrVal))));
        case VT_BOOL:
            return automation::Variant(v.boolVal != VARIANT_FALSE);
        case VT_ERROR:
            return automation::Variant(automation::ErrorValue{
                static_cast<std::int32_t>(static_cast<std::uint32_t>(v.scode) & 0xFFFFu)});
        case VT_I1:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_I8:
        case VT_UI8:
        case VT_INT:
        case VT_UINT:
        case VT_DECIMAL:
            return coercedNumber(v);
        default:
            typeMismatch("an object or an unknown kind of value");
    }
}

DispatchPtr ToObject(const VARIANT& v) {
    const VARIANT* p = &v;
    if (p->vt == (VT_VARIANT | VT_BYREF) && p->pvarVal) p = p->pvarVal;
    if (p->vt == VT_DISPATCH && p->pdispVal) return DispatchPtr::Share(p->pdispVal);
    if (p->vt == (VT_DISPATCH | VT_BYREF) && p->ppdispVal && *p->ppdispVal)
        return DispatchPtr::Share(*p->ppdispVal);
    if ((p->vt == VT_UNKNOWN && p->punkVal) ||
        (p->vt == (VT_UNKNOWN | VT_BYREF) && p->ppunkVal && *p->ppunkVal)) {
        IUnknown* u = p->vt == VT_UNKNOWN ? p->punkVal : *p->ppunkVal;
        IDispatch* d = nullptr;
        if (SUCCEEDED(u->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))) && d)
            return DispatchPtr::Adopt(d);
    }
    throw AutomationError(errnum::kObjectRequired, "object required: the member gave no object");
}

std::int32_t ToLong(const VARIANT& v) {
    return ToAutomation(v).toLong();
}

std::string ToText(const VARIANT& v) {
    return ToAutomation(v).toText();
}

}  // namespace mokuji::com
