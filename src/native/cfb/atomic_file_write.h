#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>

namespace xls::cfb {

// Saving a file failed; the message names the file and carries the system's
// reason. The target is as it was before the attempt.
class FileWriteError : public std::runtime_error {
  public:
    // What stood in the way, for a message in the user's own words.
    enum class Cause { Other, NoPermission, NoFolder, DiskFull, IsFolder };

    explicit FileWriteError(const std::string& what, Cause cause = Cause::Other)
        : std::runtime_error(what), cause_(cause) {}
    Cause cause() const { return cause_; }

  private:
    Cause cause_;
};

// Replaces (or creates) the file at `pathUtf8` with `bytes` so that it is
// either wholly the old file or wholly the new one, even if the program or
// the machine stops half way: the bytes go to a temporary file in the same
// folder, are flushed to the disk, and only then renamed over the target.
// An existing target's permission bits are kept; one that this process may
// not write, or that is marked read-only (no write permission for its
// owner), is refused, not replaced, whoever runs the program. A target that
// is a symbolic link (or a chain of them) stays one: the file it ends at is
// replaced, beside itself. SIGINT, SIGTERM or SIGHUP during the save remove
// the temporary file before they take effect. Throws FileWriteError.
void writeFileAtomically(const std::string& pathUtf8, std::span<const std::uint8_t> bytes);

// The same, with the bytes made while they are written: produce hands them,
// in order, to the sink it is given.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;
void writeMadeFileAtomically(const std::string& pathUtf8,
                             const std::function<void(const ByteSink&)>& produce);

}  // namespace xls::cfb
