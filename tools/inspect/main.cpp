// mokuji-inspect [--cells] FILE...: shows what the engine reads from
// workbooks (their defined names, where those point, single-cell values,
// document properties; with --cells every cell of every sheet) as one JSON
// array, so a user can see why a list column comes out empty and anyone can
// compare the engine with another reader.

#include <cstdio>
#include <cstring>
#include <string>

#include "automation/native/native_application.h"
#include "list_file/property_names.h"
#include "workbook_report.h"

int main(int argc, char** argv) {
    int first = 1;
    bool withCells = false;
    if (argc > 1 && std::strcmp(argv[1], "--cells") == 0) {
        withCells = true;
        ++first;
    }
    if (argc <= first) {
        std::fputs("usage: mokuji-inspect [--cells] FILE...\n", stderr);
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
