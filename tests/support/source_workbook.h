#pragma once

// Source workbooks for tests, written through our own engine: values in
// cells of the first sheet, each under a workbook-level name.

#include <string>
#include <vector>

#include "automation/native/native_application.h"
#include "automation/object_model.h"

namespace fake {

struct NamedValue {
    const char* name;  // nullptr: the cell gets no name
    int row, col;
    automation::Variant value;
};

inline void makeSource(const std::string& path, const std::vector<NamedValue>& values) {
    auto app = xls::native::createApplication();
    auto book = app->workbooks()->add();
    for (const auto& v : values) {
        app->cells(v.row, v.col)->setFormulaR1C1(v.value);
        if (v.name) {
            book->names()->add(v.name,
                               "=Sheet1!R" + std::to_string(v.row) + "C" + std::to_string(v.col));
        }
    }
    automation::SaveAsArguments args;
    args.fileName = path;
    book->saveAs(args);
}

}  // namespace fake
