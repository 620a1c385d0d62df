#include "automation/com/open_failure_cause.h"

#include "automation/native/file_bytes.h"

namespace mokuji::com {

using automation::FileContent;
using automation::OpenFailure;

OpenFailure OpenFailureOf(const std::string& path, FileContent& content) {
    content = FileContent::Unknown;
    // Our engine's reading of the file names what stands in the way (gone,
    // a folder, locked or forbidden) as it does for its own opens; it runs
    // only once the application has already refused the file.
    try {
        if (!xls::native::readFileBytes(path)->empty()) return OpenFailure::Other;
        content = FileContent::Empty;
        return OpenFailure::NotAWorkbook;
    } catch (const automation::AutomationError& e) {
        content = e.foundContent();
        return e.openFailure();
    }
}

}  // namespace mokuji::com
