#pragma once

#include <string>

#include "os/shell.h"

namespace mokuji::os {

// The Linux desktop's way of opening documents: its opener program
// (xdg-open, or the program named by MOKUJI_OPENER), started detached so
// that nothing waits for the spreadsheet program it starts in turn.
class XdgShell : public Shell {
  public:
    // opener empty: MOKUJI_OPENER when set and not empty, else "xdg-open".
    explicit XdgShell(std::string opener = {});

    int openDocument(const std::string& path, const std::string& workingFolder) override;
    double startProgram(const std::string& path) override;
    std::string documentThatStartedUs() const override;

    const std::string& opener() const { return opener_; }

  private:
    std::string opener_;
};

// Values openDocument returns, after the desktop's convention.
inline constexpr int kOpenedDocument = 42;
inline constexpr int kOpenerOutOfResources = 0;
inline constexpr int kOpenerNotFound = 2;

}  // namespace mokuji::os
