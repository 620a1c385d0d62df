#include "native/automation/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "automation/automation_error.h"

namespace xls::native {

namespace {

using automation::AutomationError;
using automation::OpenFailure;

// Larger than any workbook the format can describe sensibly; refusing it up
// front keeps a stray disk image from exhausting memory.
constexpr std::uintmax_t kMaxFileSize = 1ull << 30;

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

[[noreturn]] void fail(OpenFailure cause, const std::string& path, const std::string& why) {
    throw AutomationError(automation::errnum::kApplicationDefined, "'" + path + "' " + why, cause);
}

bool startsWith(const std::vector<std::uint8_t>& bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() &&
           std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

}  // namespace

std::shared_ptr<const std::vector<std::uint8_t>> readFileBytes(const std::string& path) {
    std::error_code ec;
    auto fsPath = pathOf(path);
    auto status = std::filesystem::status(fsPath, ec);
    if (ec || !std::filesystem::exists(status)) fail(OpenFailure::NotFound, path, "does not exist");
    if (std::filesystem::is_directory(status))
        fail(OpenFailure::NotAWorkbook, path, "is a folder, not a workbook");
    if (!std::filesystem::is_regular_file(status))
        fail(OpenFailure::NotAWorkbook, path, "is not a regular file");

    std::FILE* f = std::fopen(fsPath.c_str(), "rb");
    if (!f) {
        int err = errno;
        fail(err == EACCES || err == EPERM ? OpenFailure::AccessDenied : OpenFailure::Other, path,
             std::string("cannot be opened: ") + std::strerror(err));
    }
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    std::uintmax_t size = std::filesystem::file_size(fsPath, ec);
    if (!ec && size > kMaxFileSize) {
        std::fclose(f);
        fail(OpenFailure::UnsupportedFormat, path,
             "is " + std::to_string(size) + " bytes, too large for a workbook");
    }
    if (!ec) bytes->reserve(static_cast<std::size_t>(size));
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (bytes->size() + n > kMaxFileSize) {
            std::fclose(f);
            fail(OpenFailure::UnsupportedFormat, path, "grew too large while being read");
        }
        bytes->insert(bytes->end(), buf, buf + n);
    }
    bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError) fail(OpenFailure::Other, path, "could not be read to its end");
    return bytes;
}

std::string describeForeignContent(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return "is empty (0 bytes)";
    if (startsWith(bytes, "PK\x03\x04"))
        return "is a zip archive (an .xlsx or .ods workbook under an .xls name?)";
    // A bare BIFF2 to BIFF4 stream starts with its BOF record, 0x0009, 0x0209
    // or 0x0409, not with a compound file header.
    if (bytes.size() >= 4 && bytes[0] == 0x09 &&
        (bytes[1] == 0x00 || bytes[1] == 0x02 || bytes[1] == 0x04) && bytes[3] == 0x00 &&
        bytes[2] >= 4 && bytes[2] <= 16)
        return "is an early (BIFF2 to BIFF4) workbook, which is not supported";
    std::string_view head(reinterpret_cast<const char*>(bytes.data()),
                          std::min<std::size_t>(bytes.size(), 512));
    auto has = [&](std::string_view s) { return head.find(s) != std::string_view::npos; };
    if (has("<?xml") || has("<Workbook")) return "is an XML file, not a binary .xls workbook";
    if (has("<html") || has("<HTML") || has("<table") || has("<TABLE"))
        return "is an HTML page, not a binary .xls workbook";
    if (startsWith(bytes, "BM")) return "is a bitmap picture, not a workbook";
    return "is not an .xls workbook (no compound file signature)";
}

}  // namespace xls::native
