#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "native/propset/propset_error.h"
#include "native/propset/value.h"

namespace xls::propset {

inline constexpr std::uint32_t kDictionaryPropertyId = 0;
inline constexpr std::uint32_t kCodePagePropertyId = 1;

using Fmtid = std::array<std::uint8_t, 16>;

// FMTIDs as stored (GUID byte order) of the two document property streams.
extern const Fmtid kSummaryInformationFmtid;     // F29F85E0-4FF9-1068-AB91-08002B27B3D9
extern const Fmtid kDocSummaryInformationFmtid;  // D5CDD502-2E9C-101B-9397-08002B2CF9AE
extern const Fmtid kUserDefinedPropertiesFmtid;  // D5CDD505-2E9C-101B-9397-08002B2CF9AE

struct Section {
    Fmtid fmtid{};
    int codepage = 1252;  // property 1; 1252 when absent
    std::map<std::uint32_t, Value> properties;
    // Property names of user-defined sections (property 0), in UTF-8.
    std::map<std::uint32_t, std::string> dictionary;
    // Properties left out as damaged, each with what was wrong with it.
    std::vector<std::string> skipped;
    friend bool operator==(const Section&, const Section&) = default;
};

struct PropertySet {
    std::uint16_t version = 0;
    std::uint32_t systemIdentifier = 0;
    std::array<std::uint8_t, 16> clsid{};
    std::vector<Section> sections;
    friend bool operator==(const PropertySet&, const PropertySet&) = default;
};

// What parsePropertySet does with a property whose table entry or value is
// damaged (an offset outside the stream, a length past its end, a property
// 0 that is no dictionary).
enum class DamagedProperty {
    Throw,  // the whole set is refused: a writer must not drop it unnoticed
    Skip,   // that property alone is left out and listed in Section::skipped
};

// Parses a whole property set stream; throws PropsetError. A value of a
// type this reader does not know is kept as Unsupported; the other
// properties are unaffected, since each is found through the section's
// own offset table.
PropertySet parsePropertySet(std::span<const std::uint8_t> bytes,
                             DamagedProperty damaged = DamagedProperty::Throw);

}  // namespace xls::propset
