#include "native/xlsx/document_properties.h"

#include <cmath>

#include "native/calendar/date_systems.h"
#include "native/xlsx/cell_text.h"

namespace xls::xlsx {

namespace {

enum class Kind { Text, Date, Number };

struct Source {
    int index;  // in the automation interface's numbering
    bool core;  // core part, else extended part
    std::string_view element;
    Kind kind;
};

// Indexes as in the property streams: 1 Title ... 30 Number of characters
// (with spaces). "Number of bytes" (22) has no counterpart in these parts.
constexpr Source kSources[] = {
    {1, true, "title", Kind::Text},
    {2, true, "subject", Kind::Text},
    {3, true, "creator", Kind::Text},
    {4, true, "keywords", Kind::Text},
    {5, true, "description", Kind::Text},
    {6, false, "Template", Kind::Text},
    {7, true, "lastModifiedBy", Kind::Text},
    {8, true, "revision", Kind::Text},
    {9, false, "Application", Kind::Text},
    {10, true, "lastPrinted", Kind::Date},
    {11, true, "created", Kind::Date},
    {12, true, "modified", Kind::Date},
    {13, false, "TotalTime", Kind::Number},
    {14, false, "Pages", Kind::Number},
    {15, false, "Words", Kind::Number},
    {16, false, "Characters", Kind::Number},
    {17, false, "DocSecurity", Kind::Number},
    {18, true, "category", Kind::Text},
    {19, false, "PresentationFormat", Kind::Text},
    {20, false, "Manager", Kind::Text},
    {21, false, "Company", Kind::Text},
    {23, false, "Lines", Kind::Number},
    {24, false, "Paragraphs", Kind::Number},
    {25, false, "Slides", Kind::Number},
    {26, false, "Notes", Kind::Number},
    {27, false, "HiddenSlides", Kind::Number},
    {28, false, "MMClips", Kind::Number},
    {29, false, "HyperlinkBase", Kind::Text},
    {30, false, "CharactersWithSpaces", Kind::Number},
};

constexpr double kOleEpochInFileTimeDays =
    static_cast<double>(calendar::kOleEpoch - calendar::kFileTimeEpoch);
constexpr double kTicksPerDay = static_cast<double>(calendar::kFileTimeTicksPerSecond * 86400);

// W3C date and time, "2024-04-01T09:30:00Z" or with an offset ("+09:00");
// a bare date is midnight UTC.
std::optional<propset::FileTime> fileTimeOf(std::string_view text) {
    auto ole = oleDateOfIso(text);
    if (!ole) return std::nullopt;
    double days = *ole;
    if (text.size() > 19) {
        std::string_view zone = text.substr(19);
        while (!zone.empty() &&
               (zone.front() == '.' || (zone.front() >= '0' && zone.front() <= '9')))
            zone.remove_prefix(1);
        if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
            auto hours = numberOf(zone.substr(1, 2));
            auto minutes = numberOf(zone.substr(4, 2));
            if (hours && minutes) {
                double offset = (*hours * 60 + *minutes) / 1440.0;
                days += zone[0] == '+' ? -offset : offset;
            }
        }
    }
    double ticks = (days + kOleEpochInFileTimeDays) * kTicksPerDay;
    if (!(ticks >= 0) || ticks > 1.8e19) return std::nullopt;
    return propset::FileTime{static_cast<std::uint64_t>(std::llround(ticks / 1e4)) * 10000u};
}

}  // namespace

PropertyPart propertyPart(int index) {
    for (const auto& s : kSources)
        if (s.index == index) return s.core ? PropertyPart::Core : PropertyPart::Extended;
    return PropertyPart::None;
}

void readDocumentProperties(const Element& part, PropertyPart which,
                            propset::BuiltinProperties& out) {
    for (const auto& s : kSources) {
        if (s.core != (which == PropertyPart::Core)) continue;
        const Element* e = part.child(s.element);
        if (!e || e->text.empty()) continue;
        propset::BuiltinProperty p;
        p.type = propset::builtinPropertyType(s.index);
        switch (s.kind) {
            case Kind::Text:
                p.value = e->text;
                break;
            case Kind::Date: {
                auto t = fileTimeOf(e->text);
                if (!t) continue;
                p.value = *t;
                break;
            }
            case Kind::Number: {
                auto n = numberOf(e->text);
                if (!n) continue;
                p.value = *n;
                break;
            }
        }
        out[static_cast<std::size_t>(s.index)] = std::move(p);
    }
}

}  // namespace xls::xlsx
