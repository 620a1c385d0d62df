// How long one source workbook costs a run: open a typical questionnaire,
// read its 20 single-cell names and 5 document properties, close it.
// Compared with reading the file's bytes alone, the floor any reader pays.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "columns/column_table.h"
#include "columns/property_names.h"
#include "engine/list_row.h"
#include "engine/workbook_row_reader.h"
#include "native/automation/native_application.h"

namespace {

namespace columns = mokuji::columns;

const std::string kWorkbook = MOKUJI_EXAMPLE_WORKBOOK;

const std::vector<std::string> kNames = {"件名",  "回答日", "提出日", "社員番号", "氏名",
                                         "部署",  "担当者", "満足度", "金額",     "コメント",
                                         "評価1", "評価2",  "評価3",  "評価4",    "評価5",
                                         "評価6", "評価7",  "評価8",  "評価9",    "評価10"};
const std::vector<int> kProperties = {1, 2, 3, 4, 11};

void ReadBytesOnly(benchmark::State& state) {
    std::vector<char> buf(1 << 20);
    for (auto _ : state) {
        std::FILE* f = std::fopen(kWorkbook.c_str(), "rb");
        std::size_t n = std::fread(buf.data(), 1, buf.size(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(ReadBytesOnly)->Unit(benchmark::kMicrosecond);

void OpenAndReadNamesAndProperties(benchmark::State& state) {
    auto app = xls::native::createApplication();
    automation::OpenArguments args;
    args.fileName = kWorkbook;
    args.readOnly = true;
    for (auto _ : state) {
        auto book = app->workbooks()->open(args);
        std::size_t total = 0;
        for (const auto& name : kNames) total += app->range(name)->value().toText().size();
        for (int k : kProperties) {
            if (auto v = mokuji::engine::PropertyValue(*book->builtinDocumentProperty(k)))
                total += v->toText().size();
        }
        book->close(false);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(OpenAndReadNamesAndProperties)->Unit(benchmark::kMicrosecond);

// The same work through the row reader a run uses, column table included.
void ReadWorkbookRow(benchmark::State& state) {
    auto app = xls::native::createApplication();
    columns::PropertyNameTable prop_name;
    columns::FillPropertyNames(prop_name);
    columns::ColumnTable columns;
    int j = 0;
    columns.g_item_name[++j] = "P_ファイル名";
    for (const auto& name : kNames) columns.g_item_name[++j] = name;
    for (int k : kProperties) columns.g_item_name[++j] = "P_" + prop_name[k];
    for (auto _ : state) {
        mokuji::engine::RowStore rows;
        auto book = mokuji::engine::ReadWorkbookRow(*app, kWorkbook, columns, prop_name, rows);
        book->close(false);
        benchmark::DoNotOptimize(rows.rows);
    }
}
BENCHMARK(ReadWorkbookRow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
