#include "native/book/record_writer.h"

#include <cstring>
#include <string>

#include "native/book/book_error.h"
#include "native/text/hex.h"

namespace xls::book {

void ByteWriter::f64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(static_cast<std::uint32_t>(bits));
    u32(static_cast<std::uint32_t>(bits >> 32));
}

namespace {

[[noreturn]] void tooLong(std::uint16_t id, std::size_t size) {
    throw BookError("record " + text::hexNumber(id, 4) + " would carry " + std::to_string(size) +
                    " bytes, more than the " + std::to_string(kMaxRecordData) +
                    " a record can hold");
}

}  // namespace

void putRecord(std::vector<std::uint8_t>& out, std::uint16_t id,
               std::span<const std::uint8_t> data) {
    if (data.size() > kMaxRecordData) tooLong(id, data.size());
    ByteWriter w(out);
    w.u16(id);
    w.u16(static_cast<std::uint16_t>(data.size()));
    w.bytes(data);
}

std::size_t beginRecord(std::vector<std::uint8_t>& out, std::uint16_t id) {
    const std::size_t start = out.size();
    ByteWriter w(out);
    w.u16(id);
    w.u16(0);
    return start;
}

void endRecord(std::vector<std::uint8_t>& out, std::size_t start) {
    const std::size_t size = out.size() - start - 4;
    if (size > kMaxRecordData)
        tooLong(static_cast<std::uint16_t>(out[start] | (out[start + 1] << 8)), size);
    patch16(out, start + 2, static_cast<std::uint16_t>(size));
}

void patch16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    patch16(out, at, static_cast<std::uint16_t>(v));
    patch16(out, at + 2, static_cast<std::uint16_t>(v >> 16));
}

bool fitsCompressed(std::u16string_view units) {
    for (char16_t c : units)
        if (c >= 0x100) return false;
    return true;
}

void putUnicodeChars(ByteWriter& w, std::u16string_view units) {
    if (fitsCompressed(units)) {
        w.u8(0);
        for (char16_t c : units) w.u8(static_cast<std::uint8_t>(c));
    } else {
        w.u8(1);
        for (char16_t c : units) w.u16(c);
    }
}

void putUnicodeString(ByteWriter& w, std::u16string_view units) {
    if (units.size() > 0xFFFF)
        throw BookError("text of " + std::to_string(units.size()) + " characters is too long");
    w.u16(static_cast<std::uint16_t>(units.size()));
    putUnicodeChars(w, units);
}

void putShortUnicodeString(ByteWriter& w, std::u16string_view units) {
    if (units.size() > 0xFF)
        throw BookError("text of " + std::to_string(units.size()) +
                        " characters is too long (at most 255)");
    w.u8(static_cast<std::uint8_t>(units.size()));
    putUnicodeChars(w, units);
}

}  // namespace xls::book
