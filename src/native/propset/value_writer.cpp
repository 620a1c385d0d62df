#include "native/propset/value_writer.h"

#include <cmath>
#include <limits>
#include <string>

#include "native/propset/codepage_encoder.h"
#include "native/propset/propset_error.h"
#include "native/text/hex.h"
#include "native/text/unicode.h"

namespace xls::propset {

namespace {

constexpr int kUnicodeCodePage = 1200;

std::string typeName(std::uint16_t type) {
    return text::hexNumber(type, 4);
}

template <typename T>
const T& dataOf(const Value::Data& data, std::uint16_t type) {
    if (const T* p = std::get_if<T>(&data)) return *p;
    throw PropsetError("a value of type " + typeName(type) +
                       " holds data of another kind (variant index " +
                       std::to_string(data.index()) + ")");
}

template <typename Narrow>
Narrow inRange(std::int64_t v, std::uint16_t type) {
    if (v < std::numeric_limits<Narrow>::min() || v > std::numeric_limits<Narrow>::max())
        throw PropsetError("value " + std::to_string(v) + " does not fit type " + typeName(type));
    return static_cast<Narrow>(v);
}

bool isStringType(std::uint16_t t) {
    return t == VT_LPSTR || t == VT_BSTR || t == VT_LPWSTR;
}

// Text in the section's code page, with its byte count (NUL included) in
// front. Elements of a vector in a byte code page are packed, as the files
// we read have them and the reader expects; everything else is padded.
void writeCodePageString(ByteSink& out, const std::string& s, int codepage, bool inVector) {
    const auto encoded = utf8ToCodepage(s, codepage);
    if (!encoded)
        throw PropsetError("text '" + s + "' has no form in code page " + std::to_string(codepage));
    const std::size_t start = out.size();
    const std::size_t nul = codepage == kUnicodeCodePage ? 2 : 1;
    out.u32(static_cast<std::uint32_t>(encoded->size() + nul));
    out.raw(*encoded);
    out.zeros(nul);
    if (!inVector || codepage == kUnicodeCodePage) out.padFrom(start);
}

void writeUnicodeString(ByteSink& out, const std::string& s) {
    const std::u16string units = text::utf8ToUtf16(s);
    const std::size_t start = out.size();
    out.u32(static_cast<std::uint32_t>(units.size() + 1));
    for (char16_t u : units) out.u16(u);
    out.u16(0);
    out.padFrom(start);
}

void writeScalar(ByteSink& out, std::uint16_t type, const Value::Data& data, int codepage,
                 bool inVector) {
    switch (type) {
        case VT_EMPTY:
        case VT_NULL:
            dataOf<std::monostate>(data, type);
            return;
        case VT_I1:
            out.u8(static_cast<std::uint8_t>(
                inRange<std::int8_t>(dataOf<std::int32_t>(data, type), type)));
            return;
        case VT_UI1:
            out.u8(inRange<std::uint8_t>(dataOf<std::uint32_t>(data, type), type));
            return;
        case VT_I2:
            out.u16(static_cast<std::uint16_t>(
                inRange<std::int16_t>(dataOf<std::int32_t>(data, type), type)));
            return;
        case VT_UI2:
            out.u16(inRange<std::uint16_t>(dataOf<std::uint32_t>(data, type), type));
            return;
        case VT_I4:
        case VT_INT:
            out.u32(static_cast<std::uint32_t>(dataOf<std::int32_t>(data, type)));
            return;
        case VT_UI4:
        case VT_UINT:
        case VT_ERROR:
            out.u32(dataOf<std::uint32_t>(data, type));
            return;
        case VT_I8:
            out.u64(static_cast<std::uint64_t>(dataOf<std::int64_t>(data, type)));
            return;
        case VT_UI8:
            out.u64(dataOf<std::uint64_t>(data, type));
            return;
        case VT_R4: {
            const float f = static_cast<float>(dataOf<double>(data, type));
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            out.u32(bits);
            return;
        }
        case VT_R8:
        case VT_DATE:
            out.f64(dataOf<double>(data, type));
            return;
        case VT_CY: {
            // Stored as a count of 1/10000 units.
            const double units = std::round(dataOf<double>(data, type) * 10000.0);
            if (!(std::fabs(units) < 9.2e18)) throw PropsetError("currency value out of range");
            out.u64(static_cast<std::uint64_t>(static_cast<std::int64_t>(units)));
            return;
        }
        case VT_BOOL:
            // The stored true is all bits set.
            out.u16(dataOf<bool>(data, type) ? 0xFFFF : 0);
            return;
        case VT_LPSTR:
        case VT_BSTR:
            writeCodePageString(out, dataOf<std::string>(data, type), codepage, inVector);
            return;
        case VT_LPWSTR:
            writeUnicodeString(out, dataOf<std::string>(data, type));
            return;
        case VT_FILETIME:
            out.u64(dataOf<FileTime>(data, type).ticks);
            return;
        case VT_BLOB: {
            const auto& blob = dataOf<std::vector<std::uint8_t>>(data, type);
            if (blob.size() > 0xFFFFFFFFu) throw PropsetError("blob too large");
            out.u32(static_cast<std::uint32_t>(blob.size()));
            out.raw(blob);
            return;
        }
        case VT_CLSID: {
            const auto& id = dataOf<std::vector<std::uint8_t>>(data, type);
            if (id.size() != 16)
                throw PropsetError("class id of " + std::to_string(id.size()) +
                                   " bytes, expected 16");
            out.raw(id);
            return;
        }
        case VT_CF:
            throw PropsetError(
                "clipboard data (type 0x0047) is kept only as its size on "
                "reading and cannot be written back");
        default:
            throw PropsetError("type " + typeName(type) + " cannot be written");
    }
}

void writeVector(ByteSink& out, std::uint16_t base, const Value::Data& data, int codepage) {
    const std::uint16_t type = static_cast<std::uint16_t>(base | VT_VECTOR);
    if (isStringType(base)) {
        const auto& items = dataOf<std::vector<std::string>>(data, type);
        out.u32(static_cast<std::uint32_t>(items.size()));
        for (const auto& s : items) {
            if (base == VT_LPWSTR)
                writeUnicodeString(out, s);
            else
                writeCodePageString(out, s, codepage, true);
        }
        return;
    }
    const auto& items = dataOf<std::vector<Value>>(data, type);
    out.u32(static_cast<std::uint32_t>(items.size()));
    for (const Value& item : items) {
        if (item.isUnsupported()) throw PropsetError("a vector element was not read whole");
        if (base != VT_VARIANT) {
            if (item.type != base)
                throw PropsetError("element of type " + typeName(item.type) + " in a vector of " +
                                   typeName(base));
            writeScalar(out, base, item.data, codepage, true);
            continue;
        }
        if (item.type & VT_VECTOR)
            throw PropsetError("a variant vector element may not itself be a vector");
        const std::size_t start = out.size();
        out.u16(item.type);
        out.u16(0);
        writeScalar(out, item.type, item.data, codepage, true);
        if (!isStringType(item.type)) out.padFrom(start);
    }
}

}  // namespace

void writeTypedValue(ByteSink& out, const Value& v, int codepage) {
    if (v.isUnsupported())
        throw PropsetError("a value of type " + typeName(v.type) +
                           " was not decoded on reading and cannot be written");
    const std::size_t start = out.size();
    out.u16(v.type);
    out.u16(0);
    if (v.type & VT_VECTOR)
        writeVector(out, static_cast<std::uint16_t>(v.type & ~VT_VECTOR), v.data, codepage);
    else
        writeScalar(out, v.type, v.data, codepage, false);
    out.padFrom(start);
}

}  // namespace xls::propset
