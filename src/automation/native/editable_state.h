#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "native/book/workbook.h"
#include "native/cfb/compound_file.h"
#include "native/propset/builtin_properties.h"
#include "native/xlsx_update/kept_package.h"

namespace xls::native {

// What the editable objects of one workbook share: the model and where it
// came from. Every handle to the workbook's sheets, ranges and names holds
// it, so they stay usable however they were obtained.
struct EditState {
    book::Workbook model;
    // The file it was read from or last saved to; empty for a new workbook.
    std::string path;
    // "Book1" until a new workbook is saved.
    std::string displayName;
    // The compound file it was read from: its other streams and storages
    // (a macro project, embedded objects) are written back on save.
    std::shared_ptr<const cfb::CompoundFile> source;
    // The zip-based package it was read from: saved as that package with
    // only what changed written anew.
    std::shared_ptr<const xlsx_update::KeptPackage> package;
    std::array<std::optional<propset::BuiltinProperty>, 31> properties;

    explicit EditState(book::Workbook m) : model(std::move(m)) {}
};

}  // namespace xls::native
