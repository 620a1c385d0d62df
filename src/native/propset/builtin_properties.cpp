#include "native/propset/builtin_properties.h"

#include "native/propset/property_set.h"
#include "native/text/unicode.h"

namespace xls::propset {

namespace {

enum class Stream { Summary, DocSummary, LinkBase };
enum class Kind { Text, Date, Number, Minutes };

struct BuiltinInfo {
    const char* name;
    std::int32_t type;
    Stream stream;
    std::uint32_t pid;
    Kind kind;
};

// Property ids of the SummaryInformation (PIDSI_*) and
// DocumentSummaryInformation (PIDDSI_*) sections.
constexpr BuiltinInfo kBuiltins[kBuiltinPropertyCount + 1] = {
    {nullptr, 0, Stream::Summary, 0, Kind::Text},
    {"Title", kPropertyTypeString, Stream::Summary, 0x02, Kind::Text},
    {"Subject", kPropertyTypeString, Stream::Summary, 0x03, Kind::Text},
    {"Author", kPropertyTypeString, Stream::Summary, 0x04, Kind::Text},
    {"Keywords", kPropertyTypeString, Stream::Summary, 0x05, Kind::Text},
    {"Comments", kPropertyTypeString, Stream::Summary, 0x06, Kind::Text},
    {"Template", kPropertyTypeString, Stream::Summary, 0x07, Kind::Text},
    {"Last author", kPropertyTypeString, Stream::Summary, 0x08, Kind::Text},
    {"Revision number", kPropertyTypeString, Stream::Summary, 0x09, Kind::Text},
    {"Application name", kPropertyTypeString, Stream::Summary, 0x12, Kind::Text},
    {"Last print date", kPropertyTypeDate, Stream::Summary, 0x0B, Kind::Date},
    {"Creation date", kPropertyTypeDate, Stream::Summary, 0x0C, Kind::Date},
    {"Last save time", kPropertyTypeDate, Stream::Summary, 0x0D, Kind::Date},
    {"Total editing time", kPropertyTypeNumber, Stream::Summary, 0x0A, Kind::Minutes},
    {"Number of pages", kPropertyTypeNumber, Stream::Summary, 0x0E, Kind::Number},
    {"Number of words", kPropertyTypeNumber, Stream::Summary, 0x0F, Kind::Number},
    {"Number of characters", kPropertyTypeNumber, Stream::Summary, 0x10, Kind::Number},
    {"Security", kPropertyTypeNumber, Stream::Summary, 0x13, Kind::Number},
    {"Category", kPropertyTypeString, Stream::DocSummary, 0x02, Kind::Text},
    {"Format", kPropertyTypeString, Stream::DocSummary, 0x03, Kind::Text},
    {"Manager", kPropertyTypeString, Stream::DocSummary, 0x0E, Kind::Text},
    {"Company", kPropertyTypeString, Stream::DocSummary, 0x0F, Kind::Text},
    {"Number of bytes", kPropertyTypeNumber, Stream::DocSummary, 0x04, Kind::Number},
    {"Number of lines", kPropertyTypeNumber, Stream::DocSummary, 0x05, Kind::Number},
    {"Number of paragraphs", kPropertyTypeNumber, Stream::DocSummary, 0x06, Kind::Number},
    {"Number of slides", kPropertyTypeNumber, Stream::DocSummary, 0x07, Kind::Number},
    {"Number of notes", kPropertyTypeNumber, Stream::DocSummary, 0x08, Kind::Number},
    {"Number of hidden slides", kPropertyTypeNumber, Stream::DocSummary, 0x09, Kind::Number},
    {"Number of multimedia clips", kPropertyTypeNumber, Stream::DocSummary, 0x0A, Kind::Number},
    {"Hyperlink base", kPropertyTypeString, Stream::LinkBase, 0, Kind::Text},
    {"Number of characters (with spaces)", kPropertyTypeNumber, Stream::DocSummary, 0x11,
     Kind::Number},
};

constexpr std::uint64_t kTicksPerMinute = 600'000'000;

std::optional<PropertySet> tryParse(const std::vector<std::uint8_t>* stream) {
    if (!stream) return std::nullopt;
    try {
        // One damaged property (some writers put a plain value where the
        // dictionary belongs) must not cost the others.
        return parsePropertySet(*stream, DamagedProperty::Skip);
    } catch (const PropsetError&) {
        return std::nullopt;
    }
}

const Section* findSection(const std::optional<PropertySet>& set, const Fmtid& fmtid) {
    if (!set) return nullptr;
    for (const auto& s : set->sections)
        if (s.fmtid == fmtid) return &s;
    return nullptr;
}

std::optional<double> asNumber(const Value& v) {
    if (auto p = v.get<std::int32_t>()) return *p;
    if (auto p = v.get<std::uint32_t>()) return *p;
    if (auto p = v.get<std::int64_t>()) return static_cast<double>(*p);
    if (auto p = v.get<std::uint64_t>()) return static_cast<double>(*p);
    if (auto p = v.get<double>()) return *p;
    return std::nullopt;
}

std::optional<BuiltinProperty> convert(const Value& v, Kind kind) {
    switch (kind) {
        case Kind::Text:
            if (auto s = v.get<std::string>()) return BuiltinProperty{kPropertyTypeString, *s};
            return std::nullopt;
        case Kind::Date:
            // A zero FILETIME is how writers say "never".
            if (auto t = v.get<FileTime>(); t && t->ticks != 0)
                return BuiltinProperty{kPropertyTypeDate, *t};
            return std::nullopt;
        case Kind::Minutes:
            if (auto t = v.get<FileTime>())
                return BuiltinProperty{kPropertyTypeNumber,
                                       static_cast<double>(t->ticks / kTicksPerMinute)};
            return std::nullopt;
        case Kind::Number:
            if (auto n = asNumber(v)) return BuiltinProperty{kPropertyTypeNumber, *n};
            return std::nullopt;
    }
    return std::nullopt;
}

// The hyperlink base lives in the user-defined section under the name
// "_PID_LINKBASE", stored as a blob of NUL-terminated UTF-16 text.
std::optional<BuiltinProperty> linkBase(const Section* user) {
    if (!user) return std::nullopt;
    for (const auto& [id, name] : user->dictionary) {
        if (name != "_PID_LINKBASE") continue;
        auto it = user->properties.find(id);
        if (it == user->properties.end()) return std::nullopt;
        if (auto s = it->second.get<std::string>()) return BuiltinProperty{kPropertyTypeString, *s};
        if (auto blob = it->second.get<std::vector<std::uint8_t>>()) {
            std::size_t units = blob->size() / 2;
            for (std::size_t i = 0; i < units; ++i)
                if ((*blob)[2 * i] == 0 && (*blob)[2 * i + 1] == 0) {
                    units = i;
                    break;
                }
            return BuiltinProperty{kPropertyTypeString,
                                   text::utf16leToUtf8(std::span(blob->data(), units * 2))};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

BuiltinProperties readBuiltinProperties(
    const std::vector<std::uint8_t>* summaryInformation,
    const std::vector<std::uint8_t>* documentSummaryInformation) {
    BuiltinProperties out;
    const auto summary = tryParse(summaryInformation);
    const auto docSummary = tryParse(documentSummaryInformation);
    const Section* si = findSection(summary, kSummaryInformationFmtid);
    const Section* dsi = findSection(docSummary, kDocSummaryInformationFmtid);
    const Section* user = findSection(docSummary, kUserDefinedPropertiesFmtid);

    for (int i = 1; i <= kBuiltinPropertyCount; ++i) {
        const BuiltinInfo& info = kBuiltins[i];
        if (info.stream == Stream::LinkBase) {
            out[i] = linkBase(user);
            continue;
        }
        const Section* section = info.stream == Stream::Summary ? si : dsi;
        if (!section) continue;
        auto it = section->properties.find(info.pid);
        if (it != section->properties.end()) out[i] = convert(it->second, info.kind);
    }
    return out;
}

std::int32_t builtinPropertyType(int index) {
    return index >= 1 && index <= kBuiltinPropertyCount ? kBuiltins[index].type : 0;
}

const char* builtinPropertyName(int index) {
    return index >= 1 && index <= kBuiltinPropertyCount ? kBuiltins[index].name : nullptr;
}

}  // namespace xls::propset
