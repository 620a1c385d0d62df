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
#include "workbook_report.h"

namespace {

constexpr const char* kUsage = "usage: mokuji-inspect [--cells] FILE...\n";

constexpr const char* kHelp =
    "Shows what mokuji reads from each workbook FILE (.xls, .xlsx, .xlsm) as one\n"
    "JSON array: its defined names and the cells they point to, the values of\n"
    "single cells and the document properties; the way to see why a column of\n"
    "the list comes out empty.\n"
    "\n"
    "  --cells        also every cell of every sheet\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when every FILE was read, 1 when one could not be,\n"
    "2 when no FILE was given.\n";

bool is(const char* argument, const char* shortName, const char* longName) {
    return std::strcmp(argument, shortName) == 0 || std::strcmp(argument, longName) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Only in the first place: after it, anything is a file's name.
    if (argc > 1 && is(argv[1], "-h", "--help")) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
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
        std::fputs(kUsage, stderr);
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
