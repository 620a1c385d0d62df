#pragma once

#include <string>

#include "list_file/property_names.h"
#include "os/file_system.h"
#include "view/run_view.h"

namespace mokuji::window {

// The texts of the menu items "バージョン", "ヘルプ" and "名前の予約語".
// Every line, the last included, ends in CR LF, as message boxes expect.

struct ProgramVersion {
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
};

// The version the program was built as: the project's own, so that the
// build and the window cannot disagree.
ProgramVersion OwnVersion();

// "0.03.00": the major number as it is, minor and revision with at least
// two digits.
std::string VersionNumberText(const ProgramVersion& version);

// What the program is for and can do, under a line naming it and its
// version, and who makes it.
std::string VersionText(const std::string& programName,
                        const ProgramVersion& version = OwnVersion());
// Shortcuts and limits the user should know of.
std::string HelpText();
// The column names that fetch document properties: "P_" and each name of
// the table, entries 1 to 30 in order.
std::string ReservedNamesText(const list_file::PropertyNameTable& prop_name);

// The menu commands: each shows its text and changes nothing.
void mnu_version_Click(view::RunView& view, os::FileSystem& fs);
void mnu_help1_Click(view::RunView& view);
void mnu_help_予約語_Click(view::RunView& view, const list_file::PropertyNameTable& prop_name);

}  // namespace mokuji::window
