// How long one source workbook costs a run: open a typical questionnaire,
// read its 20 single-cell names and 5 document properties, close it.
// Compared with reading the file's bytes alone, the floor any reader pays.
// Each case also runs on the questionnaire's .xlsx twin, so that the cost of
// the zip-based reader sits beside the binary one's for the same answers.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "automation/native/native_application.h"
#include "list_file/column_table.h"
#include "list_file/list_row.h"
#include "list_file/property_names.h"
#include "native/xml/xml_parser.h"
#include "native/zip/zip_archive.h"
#include "run/workbook_row_reader.h"

namespace {

namespace columns = mokuji::list_file;

const std::string kWorkbook = MOKUJI_EXAMPLE_WORKBOOK;
// The same questionnaire saved as .xlsx by LibreOffice, checked in under
// examples/ so that every build measures the same bytes without needing
// LibreOffice.
const std::string kWorkbookXlsx = MOKUJI_EXAMPLE_WORKBOOK_XLSX;

const std::vector<std::string> kNames = {"件名",  "回答日", "提出日", "社員番号", "氏名",
                                         "部署",  "担当者", "満足度", "金額",     "コメント",
                                         "評価1", "評価2",  "評価3",  "評価4",    "評価5",
                                         "評価6", "評価7",  "評価8",  "評価9",    "評価10"};
const std::vector<int> kProperties = {1, 2, 3, 4, 11};

void ReadBytes(benchmark::State& state, const std::string& path) {
    std::vector<char> buf(1 << 20);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::size_t n = std::fread(buf.data(), 1, buf.size(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(n);
    }
}
void ReadBytesOnly(benchmark::State& state) {
    ReadBytes(state, kWorkbook);
}
void ReadBytesOnlyXlsx(benchmark::State& state) {
    ReadBytes(state, kWorkbookXlsx);
}
BENCHMARK(ReadBytesOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadBytesOnlyXlsx)->Unit(benchmark::kMicrosecond);

// What the .xlsx twin costs before any of its content is used: the file
// read, its zip directory walked, the parts a row needs (all but the
// content types) inflated and checked, and each parsed into events that
// nothing handles.
void ReadPartsOnlyXlsx(benchmark::State& state) {
    struct Ignoring : xls::xml::Handler {
        void startElement(const xls::xml::StartTag&) override {}
        void endElement(std::string_view, std::string_view) override {}
    } ignoring;
    std::vector<std::uint8_t> bytes(1 << 20);
    for (auto _ : state) {
        std::FILE* f = std::fopen(kWorkbookXlsx.c_str(), "rb");
        bytes.resize(1 << 20);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
        auto archive = xls::zip::Archive::open(bytes);
        for (const auto& entry : archive.entries()) {
            if (entry.name == "[Content_Types].xml") continue;
            xls::xml::parse(archive.read(entry, 1 << 20), ignoring);
        }
    }
}
BENCHMARK(ReadPartsOnlyXlsx)->Unit(benchmark::kMicrosecond);

void OpenAndRead(benchmark::State& state, const std::string& path) {
    auto app = xls::native::createApplication();
    automation::OpenArguments args;
    args.fileName = path;
    args.readOnly = true;
    for (auto _ : state) {
        auto book = app->workbooks()->open(args);
        std::size_t total = 0;
        for (const auto& name : kNames) total += app->range(name)->value().toText().size();
        for (int k : kProperties) {
            if (auto v = mokuji::run::PropertyValue(*book->builtinDocumentProperty(k)))
                total += v->toText().size();
        }
        book->close(false);
        benchmark::DoNotOptimize(total);
    }
}
void OpenAndReadNamesAndProperties(benchmark::State& state) {
    OpenAndRead(state, kWorkbook);
}
void OpenAndReadNamesAndPropertiesXlsx(benchmark::State& state) {
    OpenAndRead(state, kWorkbookXlsx);
}
BENCHMARK(OpenAndReadNamesAndProperties)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenAndReadNamesAndPropertiesXlsx)->Unit(benchmark::kMicrosecond);

// The same work through the row reader a run uses, column table included.
void ReadRow(benchmark::State& state, const std::string& path) {
    auto app = xls::native::createApplication();
    mokuji::list_file::PropertyNameTable prop_name;
    mokuji::list_file::FillPropertyNames(prop_name);
    mokuji::list_file::ColumnTable columns;
    int j = 0;
    columns.g_item_name[++j] = "P_ファイル名";
    for (const auto& name : kNames) columns.g_item_name[++j] = name;
    for (int k : kProperties) columns.g_item_name[++j] = "P_" + prop_name[k];
    for (auto _ : state) {
        mokuji::list_file::RowStore rows;
        auto book =
            mokuji::run::ReadWorkbookRow(*app, path, "answer.xls", columns, prop_name, rows);
        book->close(false);
        benchmark::DoNotOptimize(rows.rows);
    }
}
void ReadWorkbookRow(benchmark::State& state) {
    ReadRow(state, kWorkbook);
}
void ReadWorkbookRowXlsx(benchmark::State& state) {
    ReadRow(state, kWorkbookXlsx);
}
BENCHMARK(ReadWorkbookRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadWorkbookRowXlsx)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
