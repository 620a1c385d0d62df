#pragma once

#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace mokuji::os::win {

// The Windows file system as Explorer shows it: entries marked hidden or
// system are left out, names compare ignoring letter case.
class Win32FileSystem : public FileSystem {
  public:
    std::vector<std::string> listFolder(const std::string& folder) override;
    FileAttributes attributes(const std::string& path) override;
    std::string findOrdinaryFile(const std::string& path) override;
    // From the module's own path; "" when the system cannot say.
    std::string programFolder() override;
    std::string programBaseName() override;
    std::string currentDirectory() override;
    std::string folderIdentity(const std::string& path) override;

  private:
    const std::string& program();

    // The executable cannot move while it runs.
    std::optional<std::string> program_;
};

}  // namespace mokuji::os::win
