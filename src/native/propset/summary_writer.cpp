#include "native/propset/summary_writer.h"

#include <initializer_list>
#include <utility>

#include "native/propset/codepage_encoder.h"
#include "native/propset/property_set_writer.h"

namespace xls::propset {

namespace {

// Property ids of the two sections (PIDSI_*, PIDDSI_*).
constexpr std::uint32_t kTitle = 0x02;
constexpr std::uint32_t kSubject = 0x03;
constexpr std::uint32_t kAuthor = 0x04;
constexpr std::uint32_t kKeywords = 0x05;
constexpr std::uint32_t kComments = 0x06;
constexpr std::uint32_t kLastAuthor = 0x08;
constexpr std::uint32_t kCreated = 0x0C;
constexpr std::uint32_t kLastSaved = 0x0D;
constexpr std::uint32_t kApplication = 0x12;
constexpr std::uint32_t kSecurity = 0x13;
constexpr std::uint32_t kCategory = 0x02;
constexpr std::uint32_t kManager = 0x0E;
constexpr std::uint32_t kCompany = 0x0F;

constexpr int kWesternCodePage = 1252;
constexpr int kUnicodeCodePage = 1200;

// Windows (2) in the high half, OS version 6.0 in the low half: what
// current writers of these streams put there.
constexpr std::uint32_t kSystemIdentifier = 0x00020006;

using TextField = std::pair<std::uint32_t, const std::optional<std::string>*>;

Section textSection(const Fmtid& fmtid, std::initializer_list<TextField> texts) {
    Section s;
    s.fmtid = fmtid;
    s.codepage = kWesternCodePage;
    for (const auto& [id, text] : texts)
        if (*text && !utf8ToCodepage(**text, kWesternCodePage)) s.codepage = kUnicodeCodePage;
    s.properties[kCodePagePropertyId] =
        Value{VT_I2, std::int32_t{static_cast<std::int16_t>(s.codepage)}};
    for (const auto& [id, text] : texts)
        if (*text) s.properties[id] = Value{VT_LPSTR, **text};
    return s;
}

PropertySet single(Section s) {
    PropertySet set;
    set.systemIdentifier = kSystemIdentifier;
    set.sections.push_back(std::move(s));
    return set;
}

}  // namespace

PropertySet summaryInformationSet(const SummaryFields& f) {
    Section s = textSection(kSummaryInformationFmtid, {{kTitle, &f.title},
                                                       {kSubject, &f.subject},
                                                       {kAuthor, &f.author},
                                                       {kKeywords, &f.keywords},
                                                       {kComments, &f.comments},
                                                       {kLastAuthor, &f.lastAuthor},
                                                       {kApplication, &f.applicationName}});
    if (f.created) s.properties[kCreated] = Value{VT_FILETIME, *f.created};
    if (f.lastSaved) s.properties[kLastSaved] = Value{VT_FILETIME, *f.lastSaved};
    if (f.security) s.properties[kSecurity] = Value{VT_I4, *f.security};
    return single(std::move(s));
}

PropertySet documentSummaryInformationSet(const DocumentSummaryFields& f) {
    return single(
        textSection(kDocSummaryInformationFmtid,
                    {{kCategory, &f.category}, {kManager, &f.manager}, {kCompany, &f.company}}));
}

std::vector<std::uint8_t> writeSummaryInformation(const SummaryFields& fields) {
    return writePropertySet(summaryInformationSet(fields));
}

std::vector<std::uint8_t> writeDocumentSummaryInformation(const DocumentSummaryFields& fields) {
    return writePropertySet(documentSummaryInformationSet(fields));
}

}  // namespace xls::propset
