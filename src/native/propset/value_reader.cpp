#include "native/propset/value_reader.h"

#include <cstring>
#include <string>

#include "native/propset/propset_error.h"
#include "native/text/codepage.h"
#include "native/text/unicode.h"

namespace xls::propset {

namespace {

constexpr int kUnicodeCodePage = 1200;

// Thrown inside a value whose element type is unknown; the whole value then
// becomes Unsupported, since its length cannot be known.
struct UnknownType {};

// Text ends at the first NUL; writers pad with NULs and sometimes garbage.
std::span<const std::uint8_t> untilNul(std::span<const std::uint8_t> bytes, std::size_t unit) {
    for (std::size_t i = 0; i + unit <= bytes.size(); i += unit) {
        bool nul = true;
        for (std::size_t k = 0; k < unit; ++k) nul = nul && bytes[i + k] == 0;
        if (nul) return bytes.first(i);
    }
    return bytes.first(bytes.size() / unit * unit);
}

// Vector elements of UTF-16 text are padded to four bytes. The padding is
// skipped only where it is zero, as some writers leave it out.
void skipUnicodePadding(io::ByteReader& r, std::size_t elementStart) {
    std::size_t pad = (4 - (r.position() - elementStart) % 4) % 4;
    if (pad == 0 || r.remaining() < pad) return;
    std::size_t pos = r.position();
    auto bytes = r.bytes(pad);
    for (auto b : bytes)
        if (b != 0) {
            r.seek(pos);
            return;
        }
}

std::string readCodePageString(io::ByteReader& r, int codepage, bool inVector) {
    std::size_t start = r.position();
    std::uint32_t size = r.u32();
    auto bytes = r.bytes(size);
    if (codepage == kUnicodeCodePage) {
        if (inVector) skipUnicodePadding(r, start);
        return text::utf16leToUtf8(untilNul(bytes, 2));
    }
    return text::codepageToUtf8(untilNul(bytes, 1), codepage);
}

std::string readUnicodeString(io::ByteReader& r, bool inVector) {
    std::size_t start = r.position();
    std::uint32_t chars = r.u32();
    auto bytes = r.bytes(std::size_t{chars} * 2);
    if (inVector) skipUnicodePadding(r, start);
    return text::utf16leToUtf8(untilNul(bytes, 2));
}

bool isStringType(std::uint16_t t) {
    return t == VT_LPSTR || t == VT_BSTR || t == VT_LPWSTR;
}

Value::Data readScalar(io::ByteReader& r, std::uint16_t type, int codepage, bool inVector);

Value::Data readVector(io::ByteReader& r, std::uint16_t base, int codepage) {
    std::uint32_t count = r.u32();
    // Every element takes at least one byte; a count beyond that is damage,
    // and checking it first keeps the allocation bounded.
    if (count > r.remaining())
        throw PropsetError("vector of " + std::to_string(count) + " elements in " +
                           std::to_string(r.remaining()) + " bytes");
    if (isStringType(base)) {
        std::vector<std::string> out;
        out.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i)
            out.push_back(base == VT_LPWSTR ? readUnicodeString(r, true)
                                            : readCodePageString(r, codepage, true));
        return out;
    }
    std::vector<Value> out;
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        Value v;
        if (base == VT_VARIANT) {
            std::size_t start = r.position();
            v.type = r.u16();
            r.skip(2);
            if (v.type & VT_VECTOR) throw UnknownType{};
            v.data = readScalar(r, v.type, codepage, true);
            // Each variant element is padded to four bytes, except text in
            // byte code pages, which writers pack.
            if (!isStringType(v.type)) {
                std::size_t pad = (4 - (r.position() - start) % 4) % 4;
                r.skip(std::min(pad, r.remaining()));
            }
        } else {
            v.type = base;
            v.data = readScalar(r, base, codepage, true);
        }
        out.push_back(std::move(v));
    }
    return out;
}

Value::Data readScalar(io::ByteReader& r, std::uint16_t type, int codepage, bool inVector) {
    switch (type) {
        case VT_EMPTY:
        case VT_NULL:
            return std::monostate{};
        case VT_I1:
            return std::int32_t{static_cast<std::int8_t>(r.u8())};
        case VT_UI1:
            return std::uint32_t{r.u8()};
        case VT_I2:
            return std::int32_t{r.i16()};
        case VT_UI2:
            return std::uint32_t{r.u16()};
        case VT_I4:
        case VT_INT:
            return r.i32();
        case VT_UI4:
        case VT_UINT:
        case VT_ERROR:
            return r.u32();
        case VT_I8:
            return static_cast<std::int64_t>(r.u64());
        case VT_UI8:
            return r.u64();
        case VT_R4: {
            std::uint32_t bits = r.u32();
            float f;
            std::memcpy(&f, &bits, sizeof f);
            return double{f};
        }
        case VT_R8:
        case VT_DATE:
            return r.f64();
        case VT_CY:
            return static_cast<double>(static_cast<std::int64_t>(r.u64())) / 10000.0;
        case VT_BOOL:
            return r.u16() != 0;
        case VT_LPSTR:
        case VT_BSTR:
            return readCodePageString(r, codepage, inVector);
        case VT_LPWSTR:
            return readUnicodeString(r, inVector);
        case VT_FILETIME:
            return FileTime{r.u64()};
        case VT_BLOB: {
            std::uint32_t size = r.u32();
            auto bytes = r.bytes(size);
            return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
        }
        case VT_CLSID: {
            auto bytes = r.bytes(16);
            return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
        }
        case VT_CF: {
            std::uint32_t size = r.u32();
            auto bytes = r.bytes(size);
            ClipboardData cf;
            cf.size = size;
            if (size >= 4) cf.format = static_cast<std::int32_t>(io::le32(bytes.data()));
            return cf;
        }
        default:
            throw UnknownType{};
    }
}

}  // namespace

Value readTypedValue(io::ByteReader& r, std::uint16_t type, int codepage) {
    Value v;
    v.type = type;
    try {
        if (type & VT_VECTOR) {
            std::uint16_t base = type & ~VT_VECTOR;
            v.data = readVector(r, base, codepage);
        } else {
            v.data = readScalar(r, type, codepage, false);
        }
    } catch (const UnknownType&) {
        v.data = Unsupported{};
    }
    return v;
}

}  // namespace xls::propset
