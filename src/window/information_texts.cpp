#include "window/information_texts.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "window/main_window.h"

namespace mokuji::window {

namespace {

std::string linesOf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string atLeastTwoDigits(int number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", number);
    return buffer;
}

// The project has no published address of its own yet; this names it
// without pointing at anybody else's site.
constexpr std::string_view kCopyrightLine = "Copyright (C) the mokuji project";
// The project publishes no web address; its home is the README it ships with.
constexpr const char* kHomePageLine = "mokuji のホームページ: 同梱の README.md をご覧ください";

}  // namespace

ProgramVersion OwnVersion() {
    return {MOKUJI_VERSION_MAJOR, MOKUJI_VERSION_MINOR, MOKUJI_VERSION_PATCH};
}

std::string VersionNumberText(const ProgramVersion& version) {
    return std::to_string(version.Major) + "." + atLeastTwoDigits(version.Minor) + "." +
           atLeastTwoDigits(version.Revision);
}

std::string VersionText(const std::string& programName, const ProgramVersion& version) {
    // Unlike the caption, the first line sets the version apart with a
    // full-width blank and two half-width ones.
    const std::string title = programName + ui::Text(kStartupCaptionSuffix) + "\u3000  Version " +
                              VersionNumberText(version);
    return linesOf({
        title,
        "",
        ui::Text("    ＜メリット＞"),
        ui::Text(
            "      (1)EXCELで作ったアンケートを大量に配布回収したとき、その集計を楽にします。"),
        ui::Text("      "
                 "(2)複数の不具合報告書などから、不具合一覧(何件解決できたか一覧)"
                 "を間単に作成できます。"),
        ui::Text(
            "      (3)プログラム仕様書の表紙などから、プログラム仕様書一覧を間単に作成できます。"),
        ui::Text("      (4)EXCELのプロパティの一覧なども簡単に作成できます。"),
        "",
        ui::Text("    ＜機能＞"),
        ui::Text(
            "      (1)複数のEXCELファイルから、名前付けされたセルの内容を読み出し一覧表にします。"),
        ui::Text("      (2)名前付けされたセルだけでなく、行、列番号の指定もできます。"),
        "",
        kCopyrightLine,
        ui::Text(kHomePageLine),
    });
}

std::string HelpText() {
    return linesOf({
        ui::Text("＜便利機能＞"),
        ui::Text("\u3000(1)アイコンに目次ファイルをドラッグドロップする事で目次を再作成できます。"),
        ui::Text("     但し、2つ以上の目次ファイルを同時に指定できません。"),
        "",
        ui::Text("＜仕様上の制約＞"),
        ui::Text(
            "\u3000(1)現バージョンでは、拡張子を指定するとき「*.XLS」のように設定してください。"),
        ui::Text("     2つ以上同時に設定できません。"),
        "",
    });
}

std::string ReservedNamesText(const list_file::PropertyNameTable& prop_name) {
    std::string text =
        linesOf({ui::Text("＜名前の予約語＞"), ui::Text("プロパティ内容を一覧に設定する為の名前")});
    // Index 0 is no property and is never offered.
    for (std::size_t i = 1; i < prop_name.size(); ++i) {
        text += std::string(list_file::kReservedPrefix) + prop_name[i] + "\r\n";
    }
    return text + std::string(list_file::kFolderColumn) + "\r\n";
}

void mnu_version_Click(view::RunView& view, os::FileSystem& fs) {
    view.showMessage(VersionText(fs.programBaseName()));
}

void mnu_help1_Click(view::RunView& view) {
    view.showMessage(HelpText());
}

void mnu_help_予約語_Click(view::RunView& view, const list_file::PropertyNameTable& prop_name) {
    view.showMessage(ReservedNamesText(prop_name));
}

}  // namespace mokuji::window
