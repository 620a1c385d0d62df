// mokuji-inspect [--cells] FILE... (or --help, --version): shows what the
// engine reads from workbooks (their defined names, where those point,
// single-cell values, document properties; with --cells every cell of every
// sheet) as one JSON array, so a user can see why a list column comes out
// empty and anyone can compare the engine with another reader.

#include <cstdio>
#include <cstring>
#include <string>

#include "automation/native/native_application.h"
#include "list_file/property_names.h"
#include "ui/text.h"
#include "workbook_report.h"

namespace {

// The usage line alone goes with a missing FILE.
const char* usage() {
    return mokuji::ui::Text("使い方: mokuji-inspect [--cells] ファイル...\n");
}

const char* help() {
    return mokuji::ui::Text(
        "mokuji が各ブックのファイル（.xls、.xlsx、.xlsm）から読むものを一つの JSON 配列で\n"
        "表示します。定義された名前とそれが指すセル、単一のセルの値、文書プロパティです。\n"
        "目次の列が空になる理由を調べるときに使います。\n"
        "\n"
        "  --cells        すべてのシートのすべてのセルも表示します\n"
        "  -h, --help     この説明を表示して終了します\n"
        "  -V, --version  バージョンを表示して終了します\n"
        "\n"
        "終了ステータス: すべてのファイルを読めたときは 0、読めないファイルがあったときは 1、\n"
        "ファイルの指定がないときは 2 です。\n");
}

bool is(const char* argument, const char* shortName, const char* longName) {
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    mokuji::ui::UseLanguage(mokuji::ui::SystemLanguage());
    // Only in the first place: after it, anything is a file's name.
    if (argc > 1 && is(argv[1], "-h", "--help")) {
        std::fputs(usage(), stdout);
        std::fputs(help(), stdout);
        return 0;
    }
    if (argc > 1 && is(argv[1], "-V", "--version")) {
        std::fputs("mokuji-inspect " MOKUJI_VERSION "\nCopyright (C) the mokuji project\n", stdout);
        return 0;
    }
    int first = 1;
    bool withCells = false;
    if (argc > 1 && std::strcmp(argv[1], "--cells") == 0) {
        withCells = true;
        ++first;
    }
    if (argc <= first) {
        std::fputs(usage(), stderr);
        return 2;
    }
    mokuji::list_file::PropertyNameTable prop_name;
    mokuji::list_file::FillPropertyNames(prop_name);
    auto app = xls::native::createApplication();

    bool allOpened = true;
    std::string out = "[";
    for (int i = first; i < argc; ++i) {
        auto report = mokuji::inspect::describeWorkbook(*app, argv[i], prop_name, withCells);
        allOpened = allOpened && report.opened;
        out += (i > first ? ",\n" : "\n") + report.json;
        app->workbooks()->close();
    }
    out += "\n]\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return allOpened ? 0 : 1;
}
