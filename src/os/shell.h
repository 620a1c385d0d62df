#pragma once

#include <string>

namespace mokuji::os {

// Opening documents and starting programs, as the desktop does it.
class Shell {
  public:
    virtual ~Shell() = default;
    // Opens the document with the program associated with its type, with
    // the verb "Open", a normal window and the given working folder; does
    // not wait for that program. Returns a value above 32 when it started,
    // 32 or less when it could not (the platform's convention).
    virtual int openDocument(const std::string& path, const std::string& workingFolder) = 0;
    // Starts a program file with a normal, focused window; does not wait.
    // Returns its process or task identifier, 0 when it could not start.
    virtual double startProgram(const std::string& path) = 0;
    // The document whose opening by this program's openDocument started
    // this very process, or empty. Were this program the desktop's choice
    // for its own list files, each run would start the next; the run asked
    // to list that document sees it here and stops the chain.
    virtual std::string documentThatStartedUs() const { return {}; }
};

// How openDocument tells the program it starts which document it opens.
inline constexpr const char* kOpenedDocumentVariable = "MOKUJI_OPENED_DOCUMENT";

}  // namespace mokuji::os
