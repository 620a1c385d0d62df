#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace xls::propset {

// 100-nanosecond intervals since 1601-01-01 UTC. Also used for durations
// (the total editing time is stored this way).
struct FileTime {
    std::uint64_t ticks = 0;
    friend bool operator==(const FileTime&, const FileTime&) = default;
};

// Clipboard data (VT_CF, the thumbnail): only its format and size are kept.
struct ClipboardData {
    std::int32_t format = 0;
    std::uint32_t size = 0;
    friend bool operator==(const ClipboardData&, const ClipboardData&) = default;
};

// A type this reader does not decode; the property is kept with its type
// code so that callers can tell it was there.
struct Unsupported {
    friend bool operator==(const Unsupported&, const Unsupported&) = default;
};

// Variant type codes as the property set stores them.
enum VarType : std::uint16_t {
    VT_EMPTY = 0x00,
    VT_NULL = 0x01,
    VT_I2 = 0x02,
    VT_I4 = 0x03,
    VT_R4 = 0x04,
    VT_R8 = 0x05,
    VT_CY = 0x06,
    VT_DATE = 0x07,
    VT_BSTR = 0x08,
    VT_ERROR = 0x0A,
    VT_BOOL = 0x0B,
    VT_VARIANT = 0x0C,
    VT_I1 = 0x10,
    VT_UI1 = 0x11,
    VT_UI2 = 0x12,
    VT_UI4 = 0x13,
    VT_I8 = 0x14,
    VT_UI8 = 0x15,
    VT_INT = 0x16,
    VT_UINT = 0x17,
    VT_LPSTR = 0x1E,
    VT_LPWSTR = 0x1F,
    VT_FILETIME = 0x40,
    VT_BLOB = 0x41,
    VT_CF = 0x47,
    VT_CLSID = 0x48,
    VT_VECTOR = 0x1000,
};

// One property value. `type` is the type code as stored (VT_VECTOR bit
// included); `data` holds the decoded value:
//   VT_EMPTY, VT_NULL            monostate
//   VT_I1, VT_I2, VT_I4, VT_INT  int32_t
//   VT_UI1, VT_UI2, VT_UI4, VT_UINT, VT_ERROR  uint32_t
//   VT_I8 int64_t, VT_UI8 uint64_t
//   VT_R4, VT_R8, VT_DATE        double (VT_DATE as an OLE date)
//   VT_CY                        double (the stored count of 1/10000 units, scaled)
//   VT_BOOL                      bool
//   VT_LPSTR, VT_BSTR, VT_LPWSTR std::string (UTF-8)
//   VT_FILETIME                  FileTime
//   VT_BLOB, VT_CLSID            bytes
//   VT_CF                        ClipboardData
//   VT_VECTOR|VT_LPSTR/LPWSTR    vector<string>
//   VT_VECTOR|VT_VARIANT         vector<Value>
//   anything else                Unsupported
struct Value {
    using Data =
        std::variant<std::monostate, std::int32_t, std::uint32_t, std::int64_t, std::uint64_t,
                     double, bool, std::string, FileTime, std::vector<std::uint8_t>, ClipboardData,
                     std::vector<std::string>, std::vector<Value>, Unsupported>;
    std::uint16_t type = VT_EMPTY;
    Data data;

    template <typename T>
    const T* get() const {
        return std::get_if<T>(&data);
    }
    bool isUnsupported() const { return std::holds_alternative<Unsupported>(data); }
    friend bool operator==(const Value&, const Value&) = default;
};

}  // namespace xls::propset
