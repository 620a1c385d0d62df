#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mokuji::run {

// A lock file beside the list file: the list is open in another program,
// which will write its own copy back over any update of ours when it saves.
struct ListLock {
    // The lock file as named on disk.
    std::string lockPath;
    // Who holds the list, as the lock file says ("山田（pc01、09.12.2026
    // 10:15）"); "" when it says nothing that can be read.
    std::string holder;
};

// The lock on the list file listFileName in folder ("" is the current
// folder), looked for by name ignoring letter case as the list is: the one
// LibreOffice writes (".~lock.00_目次.xls#") and the spreadsheet
// application's owner file ("~$00_目次.xls"). Neither names a process, so
// one left by a program that crashed cannot be told from one in use.
std::optional<ListLock> FindListLock(const std::string& folder, std::string_view listFileName);

// Who a LibreOffice lock names: ",user,host,date,profile;" with the user's
// own name (may be empty) first and "\" escaping the separators.
std::string HolderOfLibreOfficeLock(std::string_view content);

// Who an owner file names: a byte of the name's length and the name in the
// system's code page, padded, then (in its long form, at byte 54) the
// length again and the name in UTF-16LE.
std::string HolderOfOwnerFile(std::span<const std::uint8_t> content);

}  // namespace mokuji::run
