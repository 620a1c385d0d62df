#include "run/list_lock.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "native/text/ascii.h"
#include "native/text/unicode.h"
#include "os/name_text.h"
#include "ui/text.h"

namespace mokuji::run {

namespace {

// Both kinds of lock are a few hundred bytes; more is not read.
constexpr std::size_t kMostRead = 4096;
// A name longer than this is no name a lock file holds.
constexpr std::size_t kLongestField = 256;

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& p) {
    const std::u8string text = p.u8string();
    return std::string(text.begin(), text.end());
}

std::vector<std::uint8_t> headOf(const std::filesystem::path& file) {
    std::vector<std::uint8_t> bytes(kMostRead);
    std::ifstream in(file, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Text a person can read: what the lock file holds may be anything.
std::string fieldText(std::string_view raw) {
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
    if (raw.empty() || raw.size() > kLongestField) return "";
    return os::ShownName(raw);
}

}  // namespace

std::string HolderOfLibreOfficeLock(std::string_view content) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < content.size() && content[i] != ';'; ++i) {
        if (content[i] == '\\' && i + 1 < content.size()) {
            fields.back() += content[++i];
        } else if (content[i] == ',') {
            fields.emplace_back();
        } else {
            fields.back() += content[i];
        }
    }
    fields.resize(std::max<std::size_t>(fields.size(), 4));
    std::string user = fieldText(fields[0]);
    if (user.empty()) user = fieldText(fields[1]);
    const std::string host = fieldText(fields[2]);
    const std::string date = fieldText(fields[3]);
    if (user.empty()) return "";
    if (host.empty() && date.empty()) return user;
    return user + ui::Text("（{1}）",
                           {host + (host.empty() || date.empty() ? "" : ui::Text("、")) + date});
}

std::string HolderOfOwnerFile(std::span<const std::uint8_t> content) {
    if (content.empty()) return "";
    const std::size_t length = content[0];
    // The long form repeats the name in UTF-16, which no code page garbles.
    if (content.size() >= 56) {
        const std::size_t units = content[54] | (content[55] << 8);
        if (units > 0 && units <= length && 56 + 2 * units <= content.size()) {
            std::string name = xls::text::utf16leToUtf8(content.subspan(56, 2 * units));
            return fieldText(name);
        }
    }
    if (length == 0 || 1 + length > content.size()) return "";
    return fieldText(std::string_view(reinterpret_cast<const char*>(content.data()) + 1, length));
}

std::optional<ListLock> FindListLock(const std::string& folder, std::string_view listFileName) {
    const std::string libreOfficeLock = ".~lock." + std::string(listFileName) + "#";
    const std::string ownerFile = "~$" + std::string(listFileName);
    std::error_code error;
    std::filesystem::directory_iterator entries(pathOf(folder.empty() ? "." : folder), error);
    // A folder that cannot be listed is told by the gathering.
    if (error) return std::nullopt;
    for (const auto& entry : entries) {
        const std::string name = utf8Of(entry.path().filename());
        const bool libreOffice = xls::text::equalsIgnoringAsciiCase(name, libreOfficeLock);
        if (!libreOffice && !xls::text::equalsIgnoringAsciiCase(name, ownerFile)) continue;
        std::error_code notFile;
        if (!entry.is_regular_file(notFile)) continue;
        const std::vector<std::uint8_t> head = headOf(entry.path());
        ListLock lock;
        lock.lockPath = utf8Of(entry.path());
        lock.holder = libreOffice ? HolderOfLibreOfficeLock(std::string_view(
                                        reinterpret_cast<const char*>(head.data()), head.size()))
                                  : HolderOfOwnerFile(head);
        return lock;
    }
    return std::nullopt;
}

}  // namespace mokuji::run
