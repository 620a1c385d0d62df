#pragma once

#include <optional>
#include <string>

#include "automation/object_model.h"
#include "engine/column_table.h"
#include "platform/run_view.h"

namespace mokuji::gather {

struct ReaderContext {
    // Each reader starts its own application instance and quits it.
    automation::ApplicationFactory createApplication;
    platform::RunView& view;
    // The executable's name without folder and extension, for captions.
    std::string programName;
};

// Why a reader could not read its workbook; the run must not go on with
// that folder (a damaged list file would otherwise be overwritten).
struct ReadFailure {
    std::string path;
    std::string reason;  // as the application described it
};

// Reads the column table back from the list file p_file ("00_目次.xls").
// Returns the failure when the workbook cannot be opened; the table is then
// as it was. A missing application shows its message and returns nothing.
std::optional<ReadFailure> sub_mokuji_read1(const std::string& p_file, engine::ColumnTable& table,
                                            const ReaderContext& ctx);

// Builds the column table from the defined names of the template workbook
// p_file, the first workbook gathered.
std::optional<ReadFailure> sub_mokuji_read2(const std::string& p_file, engine::ColumnTable& table,
                                            const ReaderContext& ctx);

}  // namespace mokuji::gather
