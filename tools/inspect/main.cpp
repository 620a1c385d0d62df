// mokuji-inspect FILE...: shows what the engine reads from workbooks (their
// defined names, where those point, single-cell values, document
// properties) as one JSON array, so a user can see why a list column comes
// out empty and anyone can compare the engine with another reader.

#include <cstdio>
#include <string>

#include "app/property_name_table.h"
#include "native/automation/native_application.h"
#include "workbook_report.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: mokuji-inspect FILE...\n", stderr);
        return 2;
    }
    mokuji::app::PropertyNameTable prop_name;
    mokuji::app::FillPropertyNames(prop_name);
    auto app = xls::native::createApplication();

    bool allOpened = true;
    std::string out = "[";
    for (int i = 1; i < argc; ++i) {
        auto report = mokuji::inspect::describeWorkbook(*app, argv[i], prop_name);
        allOpened = allOpened && report.opened;
        out += (i > 1 ? ",\n" : "\n") + report.json;
        app->workbooks()->close();
    }
    out += "\n]\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return allOpened ? 0 : 1;
}
