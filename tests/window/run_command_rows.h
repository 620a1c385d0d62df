#pragma once

// The run command's and the drop's rules, written once. Each row is what a
// user does with the button or the menu item and the list-file dialog, or
// by dropping items, in a folder holding two questionnaires, a subfolder
// with a long name and one without workbooks, and what must follow. The
// logic without a screen and both real windows play the same rows.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "support/source_workbook.h"
#include "support/temp_folder.h"

namespace run_rows {

enum class Via { Button, Menu, Drop };

// No names cancels the dialog; one name (a path inside the folder, with
// '/') is chosen alone; several are chosen together from the folder. A drop
// delivers its items in order (paths inside the folder, "" the folder).
struct Step {
    Via via;
    std::vector<std::string> chosen;
};

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

inline void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

inline constexpr const char* kList = "00_目次.xls";
inline constexpr const char* kLong = "アンケート回答_2024年度_第2回";
inline constexpr const char* kNone = "回答なし";
inline constexpr const char* kDamagedList = "just text, saved under the list file's name";

inline const std::vector<Row>& Rows() {
    using V = Via;
    const std::string c = std::string(kLong) + "/c.xls";
    const std::string longList = std::string(kLong) + "/" + kList;
    const std::string note = std::string(kNone) + "/メモ.txt";
    const std::string none = std::string(kNone) + "/";
    // A table reads better one row to a line or two.
    // clang-format off
    static const std::vector<Row> rows = {
        {"CancelWithNothingListedButtonSilentMenuSpeaks", false, {{V::Button, {}}, {V::Menu, {}}},
         {"", ""}, {"EXCELのシートがありません。"}, 0, {}, ""},
        {"ChosenWorkbookListsItsFolderAndACancelRepeatsTheRun", false,
         {{V::Button, {"a.xls"}}, {V::Menu, {}}}, {"", "a.xls"}, {}, 1, {kList, kList}, "a.xls"},
        {"SeveralChosenNameTheirFolderByTheFirst", false, {{V::Menu, {"b.xls", "a.xls"}}},
         {""}, {}, 1, {kList}, "b.xls"},
        {"ListFileNamedWhereThereIsNoneChoosesThatFolder", false, {{V::Menu, {kList}}},
         {""}, {}, 1, {kList}, kList},
        // A shorter choice after a long preset comes back alone, nothing of
        // the preset left behind it.
        {"ChoiceAfterALongPresetIsExactlyWhatWasChosen", false,
         {{V::Button, {c}}, {V::Menu, {"a.xls"}}, {V::Button, {kList}}},
         {"", c, "a.xls"}, {}, 3, {longList, kList, kList}, kList},
        {"UnreadableListFileIsNeverWrittenNotEvenAfterACancel", true,
         {{V::Menu, {kList}}, {V::Menu, {}}},
         {"", kList}, {"目次ファイルを作成・更新しませんでした"}, 1, {}, kList},
        // A dropped folder names its own list file; a file, workbook or not,
        // keeps its path, so that its folder is listed.
        {"DroppedFolderIsListedAndItsListOpened", false, {{V::Drop, {""}}}, {}, {}, 1, {kList},
         kList},
        {"DroppedFileInAFolderWithoutWorkbooksIsTold", false, {{V::Drop, {note}}}, {},
         {"EXCELのシートがありません。"}, 1, {}, note},
        // Of several items the last counts; what an earlier run listed does
        // not count for the next.
        {"LastOfSeveralDroppedItemsCounts", false,
         {{V::Drop, {kNone, "b.xls"}}, {V::Drop, {"a.xls", none}}, {V::Drop, {note, "a.xls"}}},
         {}, {"EXCELのシートがありません。"}, 3, {kList, kList}, "a.xls"},
        {"DropWithoutFileNamesChangesNothing", false, {{V::Drop, {}}}, {}, {}, 0, {}, ""},
    };
    // clang-format on
    return rows;
}

// The rows' folder, with a space and Japanese in its name as users' folders
// have.
class RowFolder {
  public:
    explicit RowFolder(bool damagedList = false) : folder_(root_.file("集計 フォルダ")) {
        std::filesystem::create_directories(fake::utf8Path(at(kLong)));
        std::filesystem::create_directories(fake::utf8Path(at(kNone)));
        std::ofstream(fake::utf8Path(at(std::string(kNone) + "/メモ.txt"))) << "not a workbook";
        fake::makeSource(at("a.xls"), {{"氏名", 1, 1, std::string("山田")}});
        fake::makeSource(at("b.xls"), {{"氏名", 1, 1, std::string("佐藤")}});
        fake::makeSource(at(std::string(kLong) + "/c.xls"), {{"氏名", 1, 1, std::string("鈴木")}});
        if (damagedList) std::ofstream(fake::utf8Path(at(kList)), std::ios::binary) << kDamagedList;
    }

    const std::string& path() const { return folder_; }
    // A path inside, from one written with '/'; "" is the folder itself.
    std::string at(std::string relative) const {
        if (relative.empty()) return folder_;
        const auto separator = static_cast<char>(std::filesystem::path::preferred_separator);
        for (char& c : relative) c = c == '/' ? separator : c;
        return folder_ + separator + relative;
    }

  private:
    fake::TempFolder root_;
    std::string folder_;
};

// What a front end showed while playing a row. A preset is as the dialog
// showed it: a path, or a name alone.
struct Seen {
    std::vector<std::string> presets, messages;
    int gathers = 0;
    std::vector<std::string> opened;
    std::string working, caption, programName;
};

inline std::vector<std::string> dropped(const Step& step, const RowFolder& folder) {
    std::vector<std::string> paths;
    for (const std::string& item : step.chosen) paths.push_back(folder.at(item));
    return paths;
}

inline std::string nameOf(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}
inline std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Several names as typed into a file dialog's name field.
inline std::string Quoted(const std::vector<std::string>& names) {
    std::string typed;
    for (const std::string& name : names) typed += (typed.empty() ? "\"" : " \"") + name + "\"";
    return typed;
}

// How the row's expectations were missed; empty when they were met.
inline std::vector<std::string> Mismatches(const Row& row, const RowFolder& folder,
                                           const Seen& seen) {
    std::vector<std::string> out;
    auto expect = [&out](bool met, const std::string& what) {
        if (!met) out.push_back(what);
    };
    auto count = [&](std::size_t want, std::size_t got, const char* what) {
        expect(want == got, std::to_string(got) + " " + what);
        return std::min(want, got);
    };
    for (std::size_t i = 0, n = count(row.presets.size(), seen.presets.size(), "dialogs"); i < n;
         ++i) {
        const std::string want = row.presets[i].empty() ? kList : folder.at(row.presets[i]);
        const std::string& got = seen.presets[i];
        expect(nameOf(got) == nameOf(want) && (folderOf(got).empty() || row.presets[i].empty() ||
                                               folderOf(got) == folderOf(want)),
               "preset " + got);
    }
    for (std::size_t i = 0, n = count(row.messages.size(), seen.messages.size(), "messages"); i < n;
         ++i)
        expect(seen.messages[i].find(row.messages[i]) != std::string::npos, seen.messages[i]);
    expect(seen.gathers == row.gathers, std::to_string(seen.gathers) + " gatherings");
    for (std::size_t i = 0, n = count(row.opened.size(), seen.opened.size(), "opened"); i < n; ++i)
        expect(seen.opened[i] == folder.at(row.opened[i]) &&
                   std::filesystem::is_regular_file(fake::utf8Path(seen.opened[i])),
               "opened " + seen.opened[i]);
    if (!row.opened.empty())
        expect(seen.caption == seen.programName + " EXCELのデータベース", seen.caption);
    expect(seen.working == (row.working.empty() ? kList : folder.at(row.working)), seen.working);
    if (row.damagedList) {
        std::ifstream in(fake::utf8Path(folder.at(kList)), std::ios::binary);
        expect(std::string(std::istreambuf_iterator<char>(in), {}) == kDamagedList, "list changed");
    }
    return out;
}

}  // namespace run_rows
