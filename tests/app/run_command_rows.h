#pragma once

// The run command's rules, written once. Each row is what a user does with
// the button or the menu item and the list-file dialog, in a folder holding
// two questionnaires and a subfolder with a long name, and what must follow.
// The command without a screen and both real windows play the same rows, so
// a rule broken in one of them shows as the same row failing there.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "support/source_workbook.h"
#include "support/temp_folder.h"

namespace run_rows {

enum class Via { Button, Menu };

// No names cancels the dialog; one name (a path inside the folder, with
// '/') is chosen alone; several are chosen together from the folder.
struct Step {
    Via via;
    std::vector<std::string> chosen;
};

inline constexpr const char* kListFile = "00_目次.xls";
inline constexpr const char* kLongFolder = "アンケート回答_2024年度_第2回";

struct Row {
    const char* name;
    bool damagedList;
    std::vector<Step> steps;
    // What each dialog was preset with; empty: the start-up working path.
    std::vector<std::string> presets;
    // A piece of each message shown, in order; no other message is shown.
    std::vector<std::string> messages;
    int gathers;
    // The list files opened after the runs, each written beforehand.
    std::vector<std::string> opened;
    // The working path afterwards; empty: still the start-up one.
    std::string working;
};

// Test names say which row failed; its fields are in the table.
inline void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

inline const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"CancelWithNothingListedButtonSilentMenuSpeaks",
         false,
         {{Via::Button, {}}, {Via::Menu, {}}},
         {"", ""},
         {"EXCELのシートがありません。"},
         0,
         {},
         ""},
        {"ChosenWorkbookListsItsFolderAndACancelRepeatsTheRun",
         false,
         {{Via::Button, {"a.xls"}}, {Via::Menu, {}}},
         {"", "a.xls"},
         {},
         1,
         {kListFile, kListFile},
         "a.xls"},
        {"SeveralChosenNameTheirFolderByTheFirst",
         false,
         {{Via::Menu, {"b.xls", "a.xls"}}},
         {""},
         {},
         1,
         {kListFile},
         "b.xls"},
        {"ListFileNamedWhereThereIsNoneChoosesThatFolder",
         false,
         {{Via::Menu, {kListFile}}},
         {""},
         {},
         1,
         {kListFile},
         kListFile},
        // A shorter choice after a long preset must come back alone, with
        // nothing of the preset left behind it.
        {"ChoiceAfterALongPresetIsExactlyWhatWasChosen",
         false,
         {{Via::Button, {std::string(kLongFolder) + "/c.xls"}},
          {Via::Menu, {"a.xls"}},
          {Via::Button, {kListFile}}},
         {"", std::string(kLongFolder) + "/c.xls", "a.xls"},
         {},
         3,
         {std::string(kLongFolder) + "/" + kListFile, kListFile, kListFile},
         kListFile},
        {"UnreadableListFileIsNeverWrittenNotEvenAfterACancel",
         true,
         {{Via::Menu, {kListFile}}, {Via::Menu, {}}},
         {"", kListFile},
         {"目次ファイルを作成・更新しませんでした"},
         1,
         {},
         kListFile},
    };
    return rows;
}

inline constexpr const char* kDamagedList = "just text, saved under the list file's name";

// The rows' folder, with a space and Japanese in its name as users' folders
// have.
class RowFolder {
  public:
    explicit RowFolder(bool damagedList = false) : folder_(root_.file("集計 フォルダ")) {
        std::filesystem::create_directories(fake::utf8Path(at(kLongFolder)));
        fake::makeSource(at("a.xls"), {{"氏名", 1, 1, std::string("山田")}});
        fake::makeSource(at("b.xls"), {{"氏名", 1, 1, std::string("佐藤")}});
        fake::makeSource(at(std::string(kLongFolder) + "/c.xls"),
                         {{"氏名", 1, 1, std::string("鈴木")}});
        if (damagedList)
            std::ofstream(fake::utf8Path(at(kListFile)), std::ios::binary) << kDamagedList;
    }

    const std::string& path() const { return folder_; }
    // A path inside, from one written with '/'.
    std::string at(std::string relative) const {
        for (char& c : relative) {
            if (c == '/') c = static_cast<char>(std::filesystem::path::preferred_separator);
        }
        return folder_ + static_cast<char>(std::filesystem::path::preferred_separator) + relative;
    }

  private:
    fake::TempFolder root_;
    std::string folder_;
};

// What a front end showed while playing a row.
struct Seen {
    // As the dialog showed it: a path, or a name alone.
    std::vector<std::string> presets;
    std::vector<std::string> messages;
    int gathers = 0;
    std::vector<std::string> opened;
    std::string working;
    std::string caption;
    std::string programName;
};

inline std::string nameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// How the row's expectations were missed; empty when they were met.
inline std::vector<std::string> Mismatches(const Row& row, const RowFolder& folder,
                                           const Seen& seen) {
    std::vector<std::string> out;
    auto expect = [&out](bool met, const std::string& what) {
        if (!met) out.push_back(what);
    };
    expect(seen.presets.size() == row.presets.size(),
           "dialogs shown: " + std::to_string(seen.presets.size()));
    for (std::size_t i = 0; i < row.presets.size() && i < seen.presets.size(); ++i) {
        const std::string want = row.presets[i].empty() ? kListFile : folder.at(row.presets[i]);
        const std::string& got = seen.presets[i];
        // A path shown must be the whole path; a name alone, its name.
        const bool met =
            nameOf(got) == nameOf(want) &&
            (folderOf(got).empty() || row.presets[i].empty() || folderOf(got) == folderOf(want));
        expect(met, "dialog " + std::to_string(i) + " preset with " + got);
    }
    expect(seen.messages.size() == row.messages.size(),
           "messages shown: " + std::to_string(seen.messages.size()));
    for (std::size_t i = 0; i < row.messages.size() && i < seen.messages.size(); ++i) {
        expect(seen.messages[i].find(row.messages[i]) != std::string::npos,
               "message " + std::to_string(i) + ": " + seen.messages[i]);
    }
    expect(seen.gathers == row.gathers, "gathered " + std::to_string(seen.gathers) + " times");
    expect(seen.opened.size() == row.opened.size(),
           "lists opened: " + std::to_string(seen.opened.size()));
    for (std::size_t i = 0; i < row.opened.size() && i < seen.opened.size(); ++i) {
        expect(seen.opened[i] == folder.at(row.opened[i]), "opened " + seen.opened[i]);
        expect(std::filesystem::is_regular_file(fake::utf8Path(seen.opened[i])),
               "opened but not written: " + seen.opened[i]);
    }
    if (!row.opened.empty()) {
        expect(seen.caption == seen.programName + " EXCELのデータベース",
               "caption after the run: " + seen.caption);
    }
    const std::string working = row.working.empty() ? kListFile : folder.at(row.working);
    expect(seen.working == working, "working path " + seen.working);
    if (row.damagedList) {
        std::ifstream in(fake::utf8Path(folder.at(kListFile)), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        expect(bytes == kDamagedList, "the unreadable list file was changed");
    }
    return out;
}

}  // namespace run_rows
