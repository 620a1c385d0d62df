#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "list_file/list_workbook_builder.h"
#include "os/path_names.h"
#include "support/fake_grid_application.h"
#include "support/recording_view.h"
#include "support/row_texts.h"

namespace mokuji::engine {

inline const std::string kFolder = std::string("data") + util::kPathSeparator;
inline const std::string kListPath = kFolder + "00_目次.xls";

class ListWorkbookTest : public ::testing::Test {
  protected:
    void setColumns(std::vector<std::tuple<std::string, int, int>> cols) {
        int j = 0;
        for (auto& [name, row, col] : cols) {
            ++j;
            table.g_item_name[j] = name;
            table.g_item_row[j] = row;
            table.g_item_col[j] = col;
        }
    }

    ListWorkbookResult build() {
        fake::grid::GridApplication app(world);
        ListContext ctx{kFolder, "mokuji", table, view,
                        [this](const std::string& p) { return world.exists(p); }};
        return BuildListWorkbook(app, rows, ctx);
    }

    // The list sheet of the list file as saved.
    const fake::grid::Sheet& saved() const {
        auto it = world.files.find(kListPath);
        if (it == world.files.end()) throw std::runtime_error("list file was not saved");
        return *it->second->sheets.at(0);
    }
    const fake::grid::Book& savedBook() const { return *world.files.at(kListPath); }

    bool logged(const std::string& entry) const {
        return std::find(world.log.begin(), world.log.end(), entry) != world.log.end();
    }

    fake::grid::World world;
    fake::RecordingView view;
    columns::ColumnTable table;
    RowStore rows;
};

}  // namespace mokuji::engine
