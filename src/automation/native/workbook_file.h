#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/automation_error.h"
#include "native/cfb/compound_file.h"
#include "native/propset/builtin_properties.h"

namespace xls::native {

// A workbook file read from disk, up to its plain Workbook stream.
struct WorkbookFile {
    std::string path;
    std::shared_ptr<const cfb::CompoundFile> container;
    // Deciphered already when the file was enciphered with the default
    // password (then decrypted is set and the stream still holds FILEPASS).
    std::vector<std::uint8_t> stream;
    bool decrypted = false;
    std::array<std::optional<propset::BuiltinProperty>, 31> properties;
};

// Reads the file and its Workbook stream. Throws automation::AutomationError
// carrying the reason: missing, unreadable, not a workbook, another format,
// damaged, protected by a password of its own.
WorkbookFile readWorkbookFile(const std::string& path);
// The same for the file's bytes, read already.
WorkbookFile readWorkbookFile(const std::string& path,
                              std::shared_ptr<const std::vector<std::uint8_t>> bytes);
// The same for a workbook opened to be edited and saved: the stream is made
// of the file's bytes where it can be, so a long list is not held twice, and
// container holds what keptForSaving keeps of the file.
WorkbookFile readWorkbookFileForEditing(const std::string& path, std::vector<std::uint8_t>&& bytes);

// Throws AutomationError for a workbook the records of which cannot be read.
[[noreturn]] void rethrowAsOpenFailure(const std::string& path);

// Runs parse, turning the record reader's errors into AutomationError with
// the reason, as for readWorkbookFile.
template <typename Parse>
auto parseOrFail(const std::string& path, Parse&& parse) -> decltype(parse()) {
    try {
        return parse();
    } catch (...) {
        rethrowAsOpenFailure(path);
    }
}

}  // namespace xls::native
