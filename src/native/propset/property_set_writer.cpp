#include "native/propset/property_set_writer.h"

#include <stdexcept>
#include <string>

#include "native/propset/byte_sink.h"
#include "native/propset/codepage_encoder.h"
#include "native/propset/value_writer.h"
#include "native/text/unicode.h"

namespace xls::propset {

namespace {

constexpr int kUnicodeCodePage = 1200;
constexpr int kDefaultCodePage = 1252;  // what readers assume when property 1 is absent
// What the reader accepts.
constexpr std::size_t kMaxSections = 16;

void writeDictionary(ByteSink& out, const std::map<std::uint32_t, std::string>& names,
                     int codepage) {
    const std::size_t start = out.size();
    out.u32(static_cast<std::uint32_t>(names.size()));
    for (const auto& [id, name] : names) {
        const std::size_t entry = out.size();
        out.u32(id);
        if (codepage == kUnicodeCodePage) {
            // Unicode names count characters and are padded one by one.
            const std::u16string units = text::utf8ToUtf16(name);
            out.u32(static_cast<std::uint32_t>(units.size() + 1));
            for (char16_t u : units) out.u16(u);
            out.u16(0);
            out.padFrom(entry);
        } else {
            const auto bytes = utf8ToCodepage(name, codepage);
            if (!bytes)
                throw PropsetError("property name '" + name + "' has no form in code page " +
                                   std::to_string(codepage));
            out.u32(static_cast<std::uint32_t>(bytes->size() + 1));
            out.raw(*bytes);
            out.u8(0);
        }
    }
    out.padFrom(start);
}

void writeSection(ByteSink& out, const Section& section, std::size_t index) {
    const std::string where = "section " + std::to_string(index);
    if (section.properties.count(kDictionaryPropertyId))
        throw PropsetError(where + ": property 0 is the dictionary and cannot hold a value");
    if (section.codepage < 0 || section.codepage > 0xFFFF)
        throw PropsetError(where + ": code page " + std::to_string(section.codepage) +
                           " does not fit in 16 bits");

    // A section that came without a code page keeps going without one, so
    // that what was read is what gets written.
    const bool writeCodePage =
        section.properties.count(kCodePagePropertyId) || section.codepage != kDefaultCodePage;
    std::vector<std::uint32_t> ids;
    if (!section.dictionary.empty()) ids.push_back(kDictionaryPropertyId);
    if (writeCodePage) ids.push_back(kCodePagePropertyId);
    for (const auto& [id, value] : section.properties)
        if (id != kCodePagePropertyId) ids.push_back(id);

    // Section header and the table of (id, offset), offsets filled in as
    // the values are written.
    const std::size_t start = out.size();
    out.u32(0);
    out.u32(static_cast<std::uint32_t>(ids.size()));
    const std::size_t table = out.size();
    out.zeros(8 * ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::uint32_t id = ids[i];
        const std::size_t at = out.size();
        out.patch32(table + 8 * i, id);
        out.patch32(table + 8 * i + 4, static_cast<std::uint32_t>(at - start));
        try {
            if (id == kDictionaryPropertyId) {
                writeDictionary(out, section.dictionary, section.codepage);
            } else if (id == kCodePagePropertyId) {
                // Code pages above 32767 (65001) are stored by their bits.
                out.u16(VT_I2);
                out.u16(0);
                out.u16(static_cast<std::uint16_t>(section.codepage));
                out.u16(0);
            } else {
                writeTypedValue(out, section.properties.at(id), section.codepage);
            }
        } catch (const PropsetError& e) {
            throw PropsetError(where + ": property " + std::to_string(id) + ": " + e.what());
        }
        if ((out.size() - start) % 4 != 0)
            throw std::logic_error(where + ": property " + std::to_string(id) +
                                   " left the section unaligned");
    }
    out.patch32(start, static_cast<std::uint32_t>(out.size() - start));
}

}  // namespace

std::vector<std::uint8_t> writePropertySet(const PropertySet& set) {
    if (set.sections.empty() || set.sections.size() > kMaxSections)
        throw PropsetError("a property set holds 1 to " + std::to_string(kMaxSections) +
                           " sections, not " + std::to_string(set.sections.size()));
    ByteSink out;
    out.u16(0xFFFE);
    out.u16(set.version);
    out.u32(set.systemIdentifier);
    out.raw(set.clsid);
    out.u32(static_cast<std::uint32_t>(set.sections.size()));
    const std::size_t table = out.size();
    for (const Section& s : set.sections) {
        out.raw(s.fmtid);
        out.u32(0);
    }
    for (std::size_t i = 0; i < set.sections.size(); ++i) {
        out.patch32(table + 20 * i + 16, static_cast<std::uint32_t>(out.size()));
        writeSection(out, set.sections[i], i);
    }
    return std::move(out.bytes());
}

}  // namespace xls::propset
