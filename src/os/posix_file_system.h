#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace mokuji::os {

// The file system of Linux and other POSIX systems, shown the way the
// desktop shows it: a name beginning with "." is hidden, and what is
// neither an ordinary file nor a folder (a pipe, a device, a socket) counts
// as a system entry, since opening it as a workbook could block or harm.
// Symbolic links count as what they point to; a broken one does not exist.
class PosixFileSystem : public FileSystem {
  public:
    std::vector<std::string> listFolder(const std::string& folder) override;
    FileAttributes attributes(const std::string& path) override;
    // Of several names that differ only in case (possible here, unlike on
    // Windows), the least in byte order wins, so every listing order gives
    // the same answer.
    std::string findOrdinaryFile(const std::string& path) override;
    // From /proc/self/exe; "" when the system cannot say.
    std::string programFolder() override;
    std::string programBaseName() override;
    // "" when the current directory has gone.
    std::string currentDirectory() override;
    std::string folderIdentity(const std::string& path) override;

  private:
    const std::filesystem::path& program();

    // The executable cannot change while it runs.
    std::optional<std::filesystem::path> program_;
};

}  // namespace mokuji::os
