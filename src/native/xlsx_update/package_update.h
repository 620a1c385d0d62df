#pragma once

#include "native/book/workbook.h"
#include "native/xlsx_update/kept_package.h"
#include "native/zip/zip_writer.h"

namespace xls::xlsx_update {

// The package the model was read from, with what the model changed written
// into it: a changed worksheet's columns, rows and cells, merged ranges and
// links (its other elements kept as they are), formats added to the styles,
// sheets added, the names when they changed. Every other part is copied as
// it was stored; a cell calculation chain is dropped once a sheet is
// written anew, and the application rebuilds it. Throws book::BookError
// when a change cannot be written without losing what the package holds
// (a renamed or removed sheet, a sheet with cells past the model's grid),
// and the zip and package readers' errors for damage found only now.
void writeUpdatedPackage(const book::Workbook& model, const KeptPackage& kept,
                         zip::ZipWriter& writer);

}  // namespace xls::xlsx_update
