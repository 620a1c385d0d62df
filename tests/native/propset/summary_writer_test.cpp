#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "native/cfb/compound_file_writer.h"
#include "native/cfb/python_reader.h"
#include "native/propset/builtin_properties.h"
#include "native/propset/property_set.h"
#include "native/propset/summary_writer.h"
#include "support/temp_folder.h"

namespace xls::propset {
namespace {

// 2024-04-01 12:34:56 UTC.
constexpr FileTime kCreated{133564484960000000ull};
constexpr FileTime kSaved{133564485000000000ull};

SummaryFields latinFields() {
    SummaryFields f;
    f.title = "Quarterly r\u00e9sum\u00e9";
    f.subject = "Sales";
    f.author = "Tanaka";
    f.keywords = "budget; 2024";
    f.comments = "Line one\r\nLine two";
    f.lastAuthor = "Suzuki";
    f.applicationName = "mokuji";
    f.created = kCreated;
    f.lastSaved = kSaved;
    f.security = 2;
    return f;
}

std::string text(const BuiltinProperties& p, int i) {
    return p[i] ? std::get<std::string>(p[i]->value) : "<absent>";
}

TEST(SummaryWriter, FieldsReadBackAsBuiltinProperties) {
    DocumentSummaryFields d;
    d.company = "Acme";
    d.manager = "Sato";
    const auto si = writeSummaryInformation(latinFields());
    const auto dsi = writeDocumentSummaryInformation(d);
    EXPECT_EQ(parsePropertySet(si).sections.at(0).codepage, 1252);
    const BuiltinProperties p = readBuiltinProperties(&si, &dsi);
    EXPECT_EQ(text(p, 1), "Quarterly r\u00e9sum\u00e9");
    EXPECT_EQ(text(p, 2), "Sales");
    EXPECT_EQ(text(p, 3), "Tanaka");
    EXPECT_EQ(text(p, 4), "budget; 2024");
    EXPECT_EQ(text(p, 5), "Line one\r\nLine two");
    EXPECT_EQ(text(p, 6), "<absent>");  // template
    EXPECT_EQ(text(p, 7), "Suzuki");
    EXPECT_EQ(text(p, 9), "mokuji");
    EXPECT_EQ(std::get<FileTime>(p[11]->value), kCreated);
    EXPECT_EQ(std::get<FileTime>(p[12]->value), kSaved);
    EXPECT_EQ(std::get<double>(p[17]->value), 2.0);
    EXPECT_EQ(text(p, 18), "<absent>");  // category
    EXPECT_EQ(text(p, 20), "Sato");
    EXPECT_EQ(text(p, 21), "Acme");
}

TEST(SummaryWriter, TextOutsideWesternCodePageSwitchesTheSectionToUnicode) {
    SummaryFields f;
    f.title = "月次報告 \U0001F4CA";
    f.author = "Tanaka";
    const auto si = writeSummaryInformation(f);
    const PropertySet set = parsePropertySet(si);
    const Section& s = set.sections.at(0);
    EXPECT_EQ(s.codepage, 1200);
    EXPECT_EQ(*s.properties.at(2).get<std::string>(), "月次報告 \U0001F4CA");
    EXPECT_EQ(*s.properties.at(4).get<std::string>(), "Tanaka");
    EXPECT_EQ(s.properties.count(0x0C), 0u) << "absent fields are left out";

    DocumentSummaryFields d;
    d.category = "経理";
    const auto dsi = writeDocumentSummaryInformation(d);
    EXPECT_EQ(text(readBuiltinProperties(nullptr, &dsi), 18), "経理");
}

// What olefile's metadata reader makes of the two streams in a file we
// wrote: text as hex of the bytes it returns, times in ISO form.
const char* const kOlefileMetadata = R"(
import sys, olefile
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
m = ole.get_metadata()
for name in ("title", "subject", "author", "keywords", "comments", "last_saved_by",
             "creating_application", "company", "manager", "category"):
    v = getattr(m, name)
    print(name, v.hex() if v is not None else "-")
print("create_time", m.create_time.isoformat() if m.create_time else "-")
print("last_saved_time", m.last_saved_time.isoformat() if m.last_saved_time else "-")
print("security", m.security)
print("codepage", m.codepage)
)";

std::map<std::string, std::string> olefileMetadata(const SummaryFields& f,
                                                   const DocumentSummaryFields& d) {
    cfb::CompoundFileWriter w;
    w.setRootClsid(cfb::kWorkbookClsid);
    w.addStream("Workbook", std::vector<std::uint8_t>(5000, 0));
    w.addStream("\x05SummaryInformation", writeSummaryInformation(f));
    w.addStream(
        "\x05"
        "DocumentSummaryInformation",
        writeDocumentSummaryInformation(d));
    const auto bytes = w.finish();
    fake::TempFolder folder;
    const std::string path = folder.file("props.xls");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::string failure;
    auto out = xls::testing::runPython(folder.path(), kOlefileMetadata, {path}, &failure);
    if (!out) ADD_FAILURE() << failure;
    std::map<std::string, std::string> m;
    std::istringstream in(out.value_or(""));
    std::string key, value;
    while (in >> key >> value) m[key] = value;
    return m;
}

std::string hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(SummaryWriter, OlefileReadsTheMetadata) {
    if (!xls::testing::pythonHasModule("olefile"))
        GTEST_SKIP() << "python3 with olefile is not available";
    DocumentSummaryFields d;
    d.company = "Acme";
    d.category = "Finance";
    auto m = olefileMetadata(latinFields(), d);
    EXPECT_EQ(m["codepage"], "1252");
    EXPECT_EQ(m["title"], hex("Quarterly r\xe9sum\xe9"));  // code page 1252 bytes
    EXPECT_EQ(m["subject"], hex("Sales"));
    EXPECT_EQ(m["author"], hex("Tanaka"));
    EXPECT_EQ(m["comments"], hex("Line one\r\nLine two"));
    EXPECT_EQ(m["last_saved_by"], hex("Suzuki"));
    EXPECT_EQ(m["creating_application"], hex("mokuji"));
    EXPECT_EQ(m["company"], hex("Acme"));
    EXPECT_EQ(m["category"], hex("Finance"));
    EXPECT_EQ(m["manager"], "-");
    EXPECT_EQ(m["create_time"], "2024-04-01T12:34:56");
    EXPECT_EQ(m["last_saved_time"], "2024-04-01T12:35:00");
    EXPECT_EQ(m["security"], "2");

    // In a Unicode section olefile drops the zero bytes of the UTF-16 text,
    // which leaves ASCII fields intact.
    SummaryFields ja;
    ja.title = "月次報告";
    ja.author = "Tanaka";
    auto u = olefileMetadata(ja, {});
    EXPECT_EQ(u["codepage"], "1200");
    EXPECT_EQ(u["author"], hex("Tanaka"));
}

}  // namespace
}  // namespace xls::propset
