#pragma once

#include <string>

#include "os/shell.h"

namespace mokuji::os::win {

// Opening documents with the program Explorer associates with their type,
// and starting programs, as the Windows shell does it.
class Win32Shell : public Shell {
  public:
    // ShellExecuteW's own result: above 32 when the document was handed on.
    int openDocument(const std::string& path, const std::string& workingFolder) override;
    // The started program's process identifier; 0 when it could not start
    // (a document in a folder named like a program, a missing file).
    double startProgram(const std::string& path) override;
    std::string documentThatStartedUs() const override;
};

}  // namespace mokuji::os::win
