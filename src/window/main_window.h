#pragma once

#include <string>
#include <vector>

#include "list_file/column_table.h"
#include "list_file/list_layout.h"
#include "list_file/property_names.h"
#include "run/folder_gathering.h"
#include "run/list_box.h"
#include "ui/text.h"

namespace mokuji::window {

// What the main window keeps for the life of the process, whether a window
// shows it or the program runs unattended.
struct MainWindow {
    // The working path; only its folder part is used.
    std::string g_mokuji_path = list_file::kListFileName;
    // The label under the title; it names the list file and never changes.
    std::string lbl_mokuji;
    list_file::PropertyNameTable prop_name;
    // Sorted so that the template workbook, the first entry, is the same
    // on every platform whatever order the folder lists its files in.
    run::ListBox List1{true};
    list_file::ColumnTable columns;
    // What the last gathering found, for the run that lists it: a list
    // that could not be read or is open elsewhere is never written.
    run::GatherResult lastGathering;
};

inline constexpr const char* kStartupCaptionSuffix = " EXCELのデータベース";

// The caption between runs: the program's base name and what it is.
inline std::string StartupCaption(const std::string& programName) {
    return programName + ui::Text(kStartupCaptionSuffix);
}

}  // namespace mokuji::window
