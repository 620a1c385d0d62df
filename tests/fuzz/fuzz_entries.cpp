#include "fuzz/fuzz_entries.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "automation/native/cell_value.h"
#include "automation/native/native_application.h"
#include "automation/native/workbook_data.h"
#include "native/biff/biff_error.h"
#include "native/biff/cell_index.h"
#include "native/biff/globals.h"
#include "native/biff/worksheet.h"
#include "native/cfb/compound_file.h"
#include "native/formula/a1_notation.h"
#include "native/formula/a1_reference.h"
#include "native/formula/name_formula.h"
#include "native/formula/name_tokens.h"
#include "native/formula/sheet_name.h"
#include "native/input/defined_name.h"
#include "native/input/entry_text.h"
#include "native/input/error_literal.h"
#include "native/input/number_entry.h"
#include "native/input/r1c1_reference.h"
#include "native/input/typed_value.h"
#include "native/io/byte_reader.h"
#include "native/propset/builtin_properties.h"
#include "native/propset/ole_date.h"
#include "native/propset/property_set.h"
#include "native/zip/zip_archive.h"
#include "native/zip/zip_builder.h"

namespace mokuji::fuzz {

namespace {

using automation::AutomationError;

// A broken promise of the interface, as opposed to a rejected input: stop
// loudly so the fuzzer keeps the input and the replay test fails.
void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz: broken promise: %s\n", what);
    std::abort();
}

std::string_view asText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void readStreams(const xls::cfb::CompoundFile& file, const xls::cfb::DirectoryEntry& storage,
                 int depth) {
    // Storages nest only a few deep in real files; a loop in the tree is the
    // reader's to report, this cap only keeps a long chain from costing time.
    if (depth > 8) return;
    for (const auto* entry : file.children(storage)) {
        if (entry->isStream()) {
            auto content = file.readStream(*entry);
            require(content.size() == file.streamSize(*entry), "stream read to its size");
        } else if (entry->isStorage()) {
            readStreams(file, *entry, depth + 1);
        }
    }
}

// The file the open path reads: that path takes a file name, as the program
// hands it one. One per process, so parallel fuzzers do not share it.
class ScratchFile {
  public:
    explicit ScratchFile(const char* name = "book.xls") {
        auto dir =
            std::filesystem::temp_directory_path() / ("mokuji-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        path_ = (dir / name).string();
    }
    // The folder goes with the last file in it.
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        std::filesystem::remove(std::filesystem::path(path_).parent_path(), ignored);
    }
    const std::string& write(std::span<const std::uint8_t> bytes) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        require(out.good(), "scratch file written");
        return path_;
    }

  private:
    std::string path_;
};

void readRange(const automation::Range& range) {
    range.worksheet()->name();
    require(range.row() >= 1 && range.column() >= 1, "range starts inside the sheet");
    require(range.rowCount() >= 1 && range.columnCount() >= 1, "range is not empty");
    if (range.rowCount() == 1 && range.columnCount() == 1) range.value().toText();
}

// What a run reads of a workbook: each name's text and the cell it names,
// as a list column would; the cell the fallback reads; the properties.
void readBook(automation::Application& app, automation::Workbook& book) {
    auto names = book.names();
    for (std::int32_t i = 1; i <= names->count(); ++i) {
        try {
            auto name = names->item(i);
            std::string text = name->name();
            name->refersTo();
            try {
                readRange(*name->refersToRange());
            } catch (const AutomationError&) {
            }
            try {
                readRange(*app.range(text));
            } catch (const AutomationError&) {
            }
        } catch (const AutomationError&) {
        }
    }
    for (int k = 1; k <= xls::propset::kBuiltinPropertyCount; ++k) {
        try {
            auto property = book.builtinDocumentProperty(k);
            property->name();
            property->type();
            property->value().toText();
        } catch (const AutomationError&) {
        }
    }
    auto sheets = book.sheets();
    for (std::int32_t i = 1; i <= sheets->count(); ++i) {
        try {
            auto sheet = sheets->item(i);
            sheet->name();
            sheet->cells(1, 1)->value().toText();
        } catch (const AutomationError&) {
        }
    }
}

void openAndRead(automation::Application& app, const std::string& path, bool readOnly) {
    automation::OpenArguments args;
    args.fileName = path;
    args.updateLinks = 0;
    args.readOnly = readOnly;
    args.ignoreReadOnlyRecommended = true;
    try {
        auto book = app.workbooks()->open(args);
        readBook(app, *book);
    } catch (const AutomationError&) {
    }
    app.workbooks()->close();
}

// Opened for editing as a list is updated: rows gone, cells written, a
// link, a name and a sheet added; saved, and the saved file read again.
void editAndSave(automation::Application& app, const std::string& path,
                 const std::string& savedPath) {
    automation::OpenArguments args;
    args.fileName = path;
    try {
        auto book = app.workbooks()->open(args);
        app.rows("4:9")->deleteShift(automation::xl::kShiftUp);
        app.cells(4, 2)->setFormulaR1C1(automation::Variant("答え"));
        app.cells(5, 3)->setFormulaR1C1(automation::Variant(12.5));
        app.activeSheet()->addHyperlink(*app.cells(4, 2), "a b.xls", "a b.xls");
        book->names()->add("追加", "=R4C2");
        book->sheets()->add("削除された行");
        automation::SaveAsArguments save;
        save.fileName = savedPath;
        book->saveAs(save);
    } catch (const AutomationError&) {
    }
    app.workbooks()->close();
    openAndRead(app, savedPath, true);
}

void readEveryCell(const std::string& path) {
    std::shared_ptr<xls::native::WorkbookData> book;
    try {
        book = xls::native::WorkbookData::load(path);
    } catch (const AutomationError&) {
        return;
    }
    for (std::size_t i = 0; i < book->globals().sheets.size(); ++i) {
        if (book->globals().sheets[i].kind != xls::biff::SheetKind::Worksheet) continue;
        try {
            for (const auto& cell : book->cells(i)) xls::native::cellValue(*book, cell).toText();
        } catch (const AutomationError&) {
        }
    }
}

// The cell index reads what the full parser reads, and refuses what it
// refuses.
void compareSheetReaders(std::span<const std::uint8_t> stream, const xls::biff::Globals& globals,
                         std::size_t i) {
    std::optional<xls::biff::Worksheet> full;
    try {
        full = xls::biff::parseWorksheet(stream, globals, i);
    } catch (const xls::biff::BiffError&) {
    } catch (const xls::io::ReadPastEnd&) {
    }
    std::optional<xls::biff::CellIndex> index;
    try {
        index = xls::biff::CellIndex::build(stream, globals, i);
    } catch (const xls::biff::BiffError&) {
    }
    require(full.has_value() == index.has_value(), "both sheet readers accept or refuse a sheet");
    if (!full) return;
    for (const auto& cell : full->cells) {
        auto found = index->find(cell.row, cell.col);
        require(found ? found->type == cell.type && found->text == cell.text &&
                            found->xf == cell.xf && found->code == cell.code &&
                            (found->number == cell.number ||
                             (std::isnan(found->number) && std::isnan(cell.number)))
                      : cell.type == xls::biff::CellType::Blank && !cell.fromFormula,
                "the cell index finds each cell as the full parser reads it");
    }
    std::size_t indexed = 0;
    for (std::uint32_t row = 0; row < index->rowLimit(); ++row)
        indexed += index->row(static_cast<std::uint16_t>(row)).size();
    require(indexed <= full->cells.size(), "the cell index finds no cell the full parser lacks");
}

void parseSheets(std::span<const std::uint8_t> stream, bool decrypted) {
    auto globals = xls::biff::parseGlobals(stream, decrypted);
    for (std::size_t i = 0; i < globals.sheets.size(); ++i) compareSheetReaders(stream, globals, i);
}

void readProperties(const std::vector<std::uint8_t>* si, const std::vector<std::uint8_t>* dsi) {
    auto properties = xls::propset::readBuiltinProperties(si, dsi);
    for (const auto& property : properties) {
        if (!property) continue;
        if (const auto* time = std::get_if<xls::propset::FileTime>(&property->value))
            xls::propset::fileTimeToLocalOleDate(*time);
    }
}

void checkArea(const xls::formula::Area& a) {
    require(0 <= a.firstRow && a.firstRow <= a.lastRow && a.lastRow <= xls::formula::kLastRow,
            "rows of a parsed reference inside the grid and in order");
    require(0 <= a.firstCol && a.firstCol <= a.lastCol && a.lastCol <= xls::formula::kLastCol,
            "columns of a parsed reference inside the grid and in order");
}

}  // namespace

void compoundFile(std::span<const std::uint8_t> bytes) {
    auto owned = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    try {
        xls::cfb::CompoundFile file(owned);
        file.header();
        for (const auto& entry : file.entries()) xls::cfb::sameEntryName(entry.name, "Workbook");
        readStreams(file, file.root(), 0);
        file.findInRoot("Workbook");
        file.readStream("\x05SummaryInformation");
    } catch (const xls::cfb::CfbError&) {
    }
}

void zipArchive(std::span<const std::uint8_t> bytes) {
    // A few entries show every path through the reader; streaming thousands
    // of them would only slow the fuzzer down.
    constexpr std::size_t kEntries = 16;
    constexpr std::uint64_t kMaxBytes = 1 << 20;
    try {
        const auto archive = xls::zip::Archive::open(bytes, 4096);
        for (std::size_t i = 0; i < archive.entries().size() && i < kEntries; ++i) {
            const auto& entry = archive.entries()[i];
            require(archive.find(entry.name) != nullptr, "every entry found by its own name");
            try {
                auto stream = archive.stream(entry, kMaxBytes);
                // Pieces of varying size meet the inflater in different states.
                std::uint8_t buf[4096];
                const std::size_t piece = 1 + (i * 997) % sizeof buf;
                std::uint64_t total = 0;
                while (std::size_t n = stream.read(buf, piece)) {
                    total += n;
                    require(n <= piece && total <= entry.uncompressedSize,
                            "no more bytes than asked for and declared");
                }
                require(total == entry.uncompressedSize && stream.produced() == total,
                        "entry read to its declared size");
            } catch (const xls::zip::ZipError&) {
            }
        }
    } catch (const xls::zip::ZipError&) {
    }
}

void workbookFile(std::span<const std::uint8_t> bytes) {
    static ScratchFile scratch;
    const std::string& path = scratch.write(bytes);
    auto app = xls::native::createApplication();
    app->setEnableEvents(false);
    openAndRead(*app, path, true);
    openAndRead(*app, path, false);
    readEveryCell(path);
}

namespace {

// The part names workbookParts fills, in the order of its input.
constexpr const char* kFuzzedParts[] = {"xl/workbook.xml", "xl/worksheets/sheet1.xml",
                                        "xl/sharedStrings.xml", "xl/styles.xml",
                                        "docProps/core.xml"};

std::vector<std::uint8_t> bytesOf(std::string_view s) {
    return {s.begin(), s.end()};
}

}  // namespace

void workbookParts(std::span<const std::uint8_t> bytes) {
    constexpr std::string_view kPackageRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"r1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
        "<Relationship Id=\"r2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
        "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
        "</Relationships>";
    constexpr std::string_view kWorkbookRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
        "2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
        "2006/relationships/styles\" Target=\"styles.xml\"/></Relationships>";
    // Stored, so that nothing in the packaging stands between the fuzzer's
    // bytes and the XML readers.
    std::vector<xls::zip::testing::BuiltEntry> entries = {
        {"_rels/.rels", bytesOf(kPackageRels)},
        {"xl/_rels/workbook.xml.rels", bytesOf(kWorkbookRels)}};
    std::size_t start = 0;
    for (const char* part : kFuzzedParts) {
        if (start > bytes.size()) break;
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != 0) ++end;
        entries.push_back({part,
                           {bytes.begin() + static_cast<std::ptrdiff_t>(start),
                            bytes.begin() + static_cast<std::ptrdiff_t>(end)}});
        start = end + 1;
    }
    static ScratchFile scratch("book.xlsx");
    for (auto& e : entries) e.method = 0;
    const auto package = xls::zip::testing::buildZip(entries);
    const std::string& path = scratch.write(package);
    auto app = xls::native::createApplication();
    app->setEnableEvents(false);
    openAndRead(*app, path, true);
    readEveryCell(path);
    static ScratchFile saved("saved.xlsx");
    editAndSave(*app, path, saved.write({}));
}

void workbookStream(std::span<const std::uint8_t> bytes) {
    try {
        parseSheets(bytes, false);
    } catch (const xls::biff::EncryptedError&) {
        // As after the default password deciphered the stream.
        try {
            parseSheets(bytes, true);
        } catch (const xls::biff::BiffError&) {
        } catch (const xls::io::ReadPastEnd&) {
        }
    } catch (const xls::biff::BiffError&) {
    } catch (const xls::io::ReadPastEnd&) {
    }
}

void propertySet(std::span<const std::uint8_t> bytes) {
    try {
        xls::propset::parsePropertySet(bytes);
    } catch (const xls::propset::PropsetError&) {
    }
    std::vector<std::uint8_t> stream(bytes.begin(), bytes.end());
    readProperties(&stream, nullptr);
    readProperties(nullptr, &stream);
}

void typedEntry(std::span<const std::uint8_t> bytes) {
    std::string_view text = asText(bytes);
    for (bool date1904 : {false, true}) {
        auto typed = xls::input::parseTypedEntry(text, date1904, 2005);
        if (typed.kind == xls::input::TypedValue::Kind::Number)
            require(std::isfinite(typed.number), "a typed number is finite");
    }
    std::string folded = xls::input::foldForRecognition(xls::input::wellFormedUtf8(text));
    xls::input::recogniseNumber(xls::input::trimBlanks(folded));
    xls::input::recogniseErrorLiteral(text);
}

void reference(std::span<const std::uint8_t> bytes) {
    std::string_view text = asText(bytes);
    if (auto a1 = xls::formula::parseA1Reference(text)) checkArea(a1->area);
    // The base cell comes from the input too, so relative parts meet the
    // edges of the grid.
    std::int32_t baseRow = bytes.size() > 1 ? bytes[0] * 257 : 0;
    std::int32_t baseCol = bytes.size() > 1 ? bytes[1] : 0;
    if (auto r1c1 = xls::input::parseR1C1Reference(text, baseRow, baseCol)) {
        checkArea(r1c1->area);
        auto again = xls::input::parseR1C1Reference(xls::input::r1c1AreaText(r1c1->area));
        require(again && again->area == r1c1->area, "an R1C1 area reads back as written");
    }
    xls::input::checkDefinedName(text);
    xls::formula::columnIndex(text);
    std::string name = xls::input::wellFormedUtf8(text);
    xls::formula::sheetNameNeedsQuotes(name);
    std::string quoted = xls::formula::quotedSheetName(name);
    require(xls::formula::unquotedSheetName(quoted) == name, "a quoted sheet name unquotes");
    xls::formula::unquotedSheetName(text);
    xls::formula::splitSheetPrefix(text);

    // The same bytes as the tokens of a name formula, in a workbook of three
    // sheets whose first name is this formula, so names may refer to names
    // and to themselves.
    auto sheetRange =
        [](std::uint16_t ixti) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        if (ixti < 3) return std::pair<std::int32_t, std::int32_t>{ixti, ixti};
        if (ixti == 3) return std::pair<std::int32_t, std::int32_t>{0, 2};
        return std::nullopt;
    };
    xls::formula::NameFormulaContext context;
    context.sheetRange = sheetRange;
    context.formulaOfName = [bytes](std::uint32_t index) {
        return index == 1 ? bytes : std::span<const std::uint8_t>{};
    };
    context.ownWorkbook = [](std::uint16_t ixti) { return ixti < 4; };
    xls::formula::decodeNameFormula(bytes);
    for (const auto& area : xls::formula::nameFormulaAreas(bytes, context)) checkArea(area.area);
    xls::formula::nameFormulaText(bytes, sheetRange, {"Sheet1", "My Sheet", "目次"});
}

SeedStreams seedStreams(std::span<const std::uint8_t> file) {
    SeedStreams seeds;
    try {
        xls::cfb::CompoundFile container(
            std::make_shared<const std::vector<std::uint8_t>>(file.begin(), file.end()));
        if (auto workbook = container.readStream("Workbook")) seeds.workbook = std::move(*workbook);
        for (const char* name : {"\x05SummaryInformation",
                                 "\x05"
                                 "DocumentSummaryInformation"}) {
            if (auto stream = container.readStream(name))
                seeds.propertySets.push_back(std::move(*stream));
        }
    } catch (const xls::cfb::CfbError&) {
    }
    return seeds;
}

std::vector<std::uint8_t> seedParts(std::span<const std::uint8_t> file) {
    std::vector<std::uint8_t> out;
    try {
        const auto archive = xls::zip::Archive::open(file);
        bool first = true;
        for (const char* part : kFuzzedParts) {
            if (!first) out.push_back(0);
            first = false;
            const auto* entry = archive.find(part);
            if (!entry) continue;
            auto bytes = archive.read(*entry, 256 * 1024);
            // A NUL inside a part would cut it short as the fuzzer reads it.
            std::replace(bytes.begin(), bytes.end(), std::uint8_t{0}, std::uint8_t{' '});
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    } catch (const xls::zip::ZipError&) {
        return {};
    }
    return out;
}

}  // namespace mokuji::fuzz
