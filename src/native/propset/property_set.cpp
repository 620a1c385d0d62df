#include "native/propset/property_set.h"

#include <string>

#include "native/io/byte_reader.h"
#include "native/propset/value_reader.h"
#include "native/text/codepage.h"
#include "native/text/hex.h"
#include "native/text/unicode.h"

namespace xls::propset {

const Fmtid kSummaryInformationFmtid = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                        0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
const Fmtid kDocSummaryInformationFmtid = {0x02, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10,
                                           0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};
const Fmtid kUserDefinedPropertiesFmtid = {0x05, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10,
                                           0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};

namespace {

constexpr std::uint32_t kMaxSections = 16;

struct PropertyEntry {
    std::uint32_t id;
    std::uint32_t offset;
};

std::map<std::uint32_t, std::string> readDictionary(io::ByteReader r, int codepage) {
    std::map<std::uint32_t, std::string> out;
    std::uint32_t count = r.u32();
    if (count > r.remaining() / 8)
        throw PropsetError("dictionary of " + std::to_string(count) + " entries in " +
                           std::to_string(r.remaining()) + " bytes");
    for (std::uint32_t i = 0; i < count; ++i) {
        std::size_t start = r.position();
        std::uint32_t id = r.u32();
        std::uint32_t length = r.u32();
        std::string name;
        if (codepage == 1200) {
            auto bytes = r.bytes(std::size_t{length} * 2);
            std::size_t units = bytes.size() / 2;
            while (units > 0 && io::le16(bytes.data() + 2 * (units - 1)) == 0) --units;
            name = text::utf16leToUtf8(bytes.first(units * 2));
            std::size_t pad = (4 - (r.position() - start) % 4) % 4;
            r.skip(std::min(pad, r.remaining()));
        } else {
            auto bytes = r.bytes(length);
            std::size_t n = 0;
            while (n < bytes.size() && bytes[n] != 0) ++n;
            name = text::codepageToUtf8(bytes.first(n), codepage);
        }
        out[id] = std::move(name);
    }
    return out;
}

Section readSection(std::span<const std::uint8_t> stream, const Fmtid& fmtid, std::uint32_t offset,
                    std::size_t index, DamagedProperty damaged) {
    const std::string where = "section " + std::to_string(index);
    if (offset > stream.size() || stream.size() - offset < 8)
        throw PropsetError(where + " at offset " + std::to_string(offset) +
                           " passes the end of the stream (" + std::to_string(stream.size()) +
                           " bytes)");
    // The declared size is not trusted: one writer counts only the header
    // and table, others overshoot the stream by a few bytes. Values are
    // read up to the end of the stream, each from its own offset.
    const auto bytes = stream.subspan(offset);
    io::ByteReader head(bytes);
    head.skip(4);
    std::uint32_t count = head.u32();
    if (count > (bytes.size() - 8) / 8)
        throw PropsetError(where + " declares " + std::to_string(count) + " properties in " +
                           std::to_string(bytes.size()) + " bytes");

    Section section;
    section.fmtid = fmtid;
    auto damage = [&](std::string why) {
        if (damaged == DamagedProperty::Throw) throw PropsetError(why);
        section.skipped.push_back(std::move(why));
    };

    std::vector<PropertyEntry> table;
    table.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        PropertyEntry e;
        e.id = head.u32();
        e.offset = head.u32();
        if (e.offset < 8 || e.offset >= bytes.size()) {
            damage(where + ": property " + std::to_string(e.id) + " at offset " +
                   std::to_string(e.offset) + " lies outside the stream (" +
                   std::to_string(bytes.size()) + " bytes from the section start)");
            continue;
        }
        table.push_back(e);
    }

    // Strings depend on the code page, which may come anywhere in the table.
    for (const auto& e : table) {
        if (e.id != kCodePagePropertyId) continue;
        try {
            io::ByteReader r(bytes.subspan(e.offset));
            std::uint16_t type = r.u16();
            r.skip(2);
            if (type == VT_I2) section.codepage = r.u16();
        } catch (const io::ReadPastEnd&) {
            // Reported with the other values below.
            if (damaged == DamagedProperty::Throw) throw;
        }
    }

    for (const auto& e : table) {
        try {
            io::ByteReader r(bytes.subspan(e.offset));
            if (e.id == kDictionaryPropertyId) {
                section.dictionary = readDictionary(r, section.codepage);
                continue;
            }
            std::uint16_t type = r.u16();
            r.skip(2);
            section.properties[e.id] = readTypedValue(r, type, section.codepage);
        } catch (const io::ReadPastEnd& err) {
            damage(where + ": property " + std::to_string(e.id) + " at offset " +
                   std::to_string(e.offset) + ": " + err.what());
        } catch (const PropsetError& err) {
            damage(where + ": property " + std::to_string(e.id) + ": " + err.what());
        }
    }
    return section;
}

}  // namespace

PropertySet parsePropertySet(std::span<const std::uint8_t> bytes, DamagedProperty damaged) {
    PropertySet set;
    std::vector<std::pair<Fmtid, std::uint32_t>> sections;
    try {
        io::ByteReader r(bytes);
        std::uint16_t byteOrder = r.u16();
        if (byteOrder != 0xFFFE)
            throw PropsetError("byte order mark " + text::hexNumber(byteOrder, 4) +
                               ", expected 0xFFFE (encrypted or not a property set)");
        set.version = r.u16();
        set.systemIdentifier = r.u32();
        auto clsid = r.bytes(16);
        std::copy(clsid.begin(), clsid.end(), set.clsid.begin());
        std::uint32_t count = r.u32();
        if (count == 0 || count > kMaxSections)
            throw PropsetError("property set declares " + std::to_string(count) + " sections");
        for (std::uint32_t i = 0; i < count; ++i) {
            Fmtid fmtid;
            auto id = r.bytes(16);
            std::copy(id.begin(), id.end(), fmtid.begin());
            sections.emplace_back(fmtid, r.u32());
        }
    } catch (const io::ReadPastEnd& err) {
        throw PropsetError(std::string("property set header: ") + err.what());
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
        try {
            set.sections.push_back(
                readSection(bytes, sections[i].first, sections[i].second, i, damaged));
        } catch (const io::ReadPastEnd& err) {
            throw PropsetError("section " + std::to_string(i) + ": " + err.what());
        }
    }
    return set;
}

}  // namespace xls::propset
