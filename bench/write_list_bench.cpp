// Writing the list file: the list phase of a run over 1,000 workbooks with
// 20 columns each, from a new workbook to the saved file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "automation/native/native_application.h"
#include "list_file/list_workbook_builder.h"
#include "view/run_view.h"

namespace {

namespace columns = mokuji::list_file;

class SilentView : public mokuji::view::RunView {
  public:
    void setCaption(const std::string&) override {}
    std::string caption() const override { return {}; }
    void setEnabled(bool) override {}
    void setMousePointer(int) override {}
    void doEvents() override {}
    void showMessage(const std::string&) override {}
};

// A new list of `count` rows of 20 columns, as listName (.xls or .xlsx).
void writeList(benchmark::State& state, int count, const std::string& listName) {
    namespace fs = std::filesystem;
    fs::path dir =
        fs::temp_directory_path() / ("mokuji-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);

    mokuji::list_file::ColumnTable columns;
    columns.g_item_name[1] = "P_ファイル名";
    for (int j = 2; j <= 20; ++j) {
        columns.g_item_name[j] = "項目" + std::to_string(j);
        columns.g_item_row[j] = j;
        columns.g_item_col[j] = 3;
    }
    mokuji::list_file::RowStore rows;
    for (int r = 0; r < count; ++r) {
        mokuji::list_file::ListRow row;
        row.fileName = "アンケート回答_" + std::to_string(r) + ".xls";
        row.values.emplace_back(row.fileName);
        for (int j = 2; j <= 20; ++j) {
            if (j % 3 == 0)
                row.values.emplace_back(static_cast<double>(r * j));
            else
                row.values.emplace_back("回答" + std::to_string(j));
        }
        rows.rows.push_back(std::move(row));
    }
    SilentView view;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(dir / fs::u8path(listName));
        state.ResumeTiming();
        auto app = xls::native::createApplication();
        mokuji::list_file::ListContext ctx{
            dir.string() + "/",
            "mokuji",
            columns,
            view,
            [](const std::string& p) { return fs::is_regular_file(p); },
            listName};
        auto result = mokuji::list_file::BuildListWorkbook(*app, rows, ctx);
        benchmark::DoNotOptimize(result);
    }
    fs::remove_all(dir);
}

void WriteList1000x20(benchmark::State& state) {
    writeList(state, 1000, "00_目次.xls");
}
BENCHMARK(WriteList1000x20)->Unit(benchmark::kMillisecond);

// The same list of 10,000 rows in both formats, side by side.
void WriteList10000x20Xls(benchmark::State& state) {
    writeList(state, 10000, "00_目次.xls");
}
void WriteList10000x20Xlsx(benchmark::State& state) {
    writeList(state, 10000, "00_目次.xlsx");
}
BENCHMARK(WriteList10000x20Xls)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteList10000x20Xlsx)->Unit(benchmark::kMillisecond);

}  // namespace
