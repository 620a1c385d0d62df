#include "automation/native/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "automation/automation_error.h"
#include "native/cfb/compound_file.h"
#include "native/text/ascii.h"

namespace xls::native {

namespace {

using automation::AutomationError;
using automation::OpenFailure;

// Larger than any workbook the format can describe sensibly; refusing it up
// front keeps a stray disk image from exhausting memory.
constexpr std::uintmax_t kMaxFileSize = 1ull << 30;
// Enough of a file to tell what it holds: the first entries of a zip, the
// start of a text.
constexpr std::size_t kJudgedBytes = 1u << 20;

#ifdef _WIN32
std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
#endif

[[noreturn]] void fail(OpenFailure cause, const std::string& path, const std::string& why,
                       automation::FileContent content = automation::FileContent::Unknown) {
    throw AutomationError(automation::errnum::kApplicationDefined, "'" + path + "' " + why, cause,
                          content);
}

bool startsWith(const std::vector<std::uint8_t>& bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() &&
           std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Little-endian fields of a zip archive; a field past the end reads as
// absent, never beyond the buffer.
std::optional<std::uint32_t> le(const std::vector<std::uint8_t>& bytes, std::size_t at,
                                std::size_t width) {
    if (at > bytes.size() || bytes.size() - at < width) return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = width; i-- > 0;) v = (v << 8) | bytes[at + i];
    return v;
}

std::string_view textAt(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t n) {
    if (at > bytes.size()) return {};
    n = std::min(n, bytes.size() - at);
    return {reinterpret_cast<const char*>(bytes.data()) + at, n};
}

// Enough entries to tell the kinds of archive apart without walking a huge
// or looping directory.
constexpr std::size_t kMaxZipEntries = 4096;

// The entry names of the archive's central directory, which lists every
// entry even when the local headers leave their sizes out.
std::vector<std::string_view> centralDirectoryNames(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::string_view> names;
    if (bytes.size() < 22) return names;
    const std::size_t lowest = bytes.size() > 22 + 65535 ? bytes.size() - 22 - 65535 : 0;
    for (std::size_t end = bytes.size() - 22 + 1; end-- > lowest;) {
        if (textAt(bytes, end, 4) != std::string_view("PK\x05\x06", 4)) continue;
        auto count = le(bytes, end + 10, 2);
        auto offset = le(bytes, end + 16, 4);
        if (!count || !offset || *offset > end) return names;
        std::size_t at = *offset;
        for (std::uint32_t i = 0; i < *count && names.size() < kMaxZipEntries; ++i) {
            if (textAt(bytes, at, 4) != std::string_view("PK\x01\x02", 4)) break;
            auto nameLen = le(bytes, at + 28, 2);
            auto extraLen = le(bytes, at + 30, 2);
            auto commentLen = le(bytes, at + 32, 2);
            if (!nameLen || !extraLen || !commentLen) break;
            names.push_back(textAt(bytes, at + 46, *nameLen));
            at += 46 + *nameLen + *extraLen + *commentLen;
        }
        return names;
    }
    return names;
}

// The names of the local headers from the start, for an archive cut off
// before its central directory.
std::vector<std::string_view> localHeaderNames(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::string_view> names;
    std::size_t at = 0;
    while (names.size() < kMaxZipEntries &&
           textAt(bytes, at, 4) == std::string_view("PK\x03\x04", 4)) {
        auto flags = le(bytes, at + 6, 2);
        auto size = le(bytes, at + 18, 4);
        auto nameLen = le(bytes, at + 26, 2);
        auto extraLen = le(bytes, at + 28, 2);
        if (!flags || !size || !nameLen || !extraLen) break;
        names.push_back(textAt(bytes, at + 30, *nameLen));
        // With a data descriptor the size comes after the data: the next
        // header cannot be found.
        if (*flags & 0x0008) break;
        at += 30 + std::size_t{*nameLen} + *extraLen + *size;
    }
    return names;
}

// An OpenDocument file stores its media type first, uncompressed, in an
// entry named "mimetype", so that it can be told by its first bytes.
std::string_view openDocumentType(const std::vector<std::uint8_t>& bytes) {
    auto method = le(bytes, 8, 2);
    auto nameLen = le(bytes, 26, 2);
    auto extraLen = le(bytes, 28, 2);
    if (!method || *method != 0 || !nameLen || !extraLen) return {};
    if (textAt(bytes, 30, *nameLen) != "mimetype") return {};
    std::string_view type = textAt(bytes, 30 + std::size_t{*nameLen} + *extraLen, 80);
    if (!startsWith(type, "application/vnd.oasis.opendocument.")) return {};
    return type;
}

ForeignContent identifyZip(const std::vector<std::uint8_t>& bytes) {
    using automation::FileContent;
    if (auto type = openDocumentType(bytes); !type.empty()) {
        if (startsWith(type, "application/vnd.oasis.opendocument.spreadsheet"))
            return {FileContent::OpenDocumentSheet,
                    "is an OpenDocument spreadsheet (.ods), not a binary .xls workbook"};
        return {FileContent::OtherZipDocument, "is an OpenDocument file that is not a spreadsheet"};
    }
    auto names = centralDirectoryNames(bytes);
    if (names.empty()) names = localHeaderNames(bytes);
    // "[Content_Types].xml" alone, as in an archive cut short, does not tell
    // a workbook from another document; the folders of the parts do.
    bool workbookPart = false, otherPart = false;
    // Some writers put '\\' between folders or capitals in them.
    auto inFolder = [](std::string_view name, std::string_view folder) {
        if (!name.empty() && (name.front() == '/' || name.front() == '\\')) name.remove_prefix(1);
        if (name.size() <= folder.size()) return false;
        char separator = name[folder.size()];
        return (separator == '/' || separator == '\\') &&
               text::equalsIgnoringAsciiCase(name.substr(0, folder.size()), folder);
    };
    for (std::string_view name : names) {
        if (inFolder(name, "xl")) workbookPart = true;
        if (inFolder(name, "word") || inFolder(name, "ppt")) otherPart = true;
    }
    if (workbookPart)
        return {FileContent::ZipWorkbook,
                "is a zip-based workbook (.xlsx), not a binary .xls workbook"};
    if (otherPart)
        return {FileContent::OtherZipDocument, "is a zip-based office document, not a workbook"};
    return {FileContent::Zip, "is a zip archive, not a workbook"};
}

const char* pictureFormat(const std::vector<std::uint8_t>& bytes) {
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n")) return "PNG";
    if (startsWith(bytes, "\xFF\xD8\xFF")) return "JPEG";
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) return "GIF";
    if (startsWith(bytes, std::string_view("II*\0", 4)) ||
        startsWith(bytes, std::string_view("MM\0*", 4)))
        return "TIFF";
    if (startsWith(bytes, "RIFF") && textAt(bytes, 8, 4) == "WEBP") return "WebP";
    // A bitmap's header: "BM", the file size, two reserved words that are
    // zero; text that happens to begin with "BM" has no zeros there.
    if (startsWith(bytes, "BM") && bytes.size() >= 14 && bytes[6] == 0 && bytes[7] == 0 &&
        bytes[8] == 0 && bytes[9] == 0)
        return "bitmap";
    return nullptr;
}

// The head of a file as single-byte text: UTF-8 and Shift_JIS stay as they
// are, UTF-16 (with its byte order mark, or plain ASCII in little-endian
// order) becomes its ASCII characters with 0x80 standing for any other.
// Enough to find markup and separators, which are ASCII in every encoding.
std::string headAsText(const std::vector<std::uint8_t>& bytes) {
    constexpr std::size_t kHead = 8192;
    auto wide = [&](std::size_t from, bool littleEndian) {
        std::string out;
        for (std::size_t i = from; i + 1 < bytes.size() && out.size() < kHead; i += 2) {
            unsigned unit =
                littleEndian ? bytes[i] | (bytes[i + 1] << 8) : (bytes[i] << 8) | bytes[i + 1];
            out += unit < 0x80 ? static_cast<char>(unit) : '\x80';
        }
        return out;
    };
    if (startsWith(bytes, "\xFF\xFE")) return wide(2, true);
    if (startsWith(bytes, "\xFE\xFF")) return wide(2, false);
    if (bytes.size() >= 8) {
        bool asciiUtf16 = true;
        for (std::size_t i = 0; i + 1 < std::min<std::size_t>(bytes.size(), 64); i += 2)
            asciiUtf16 = asciiUtf16 && bytes[i] != 0 && bytes[i] < 0x80 && bytes[i + 1] == 0;
        if (asciiUtf16) return wide(0, true);
    }
    std::size_t from = startsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    return std::string(textAt(bytes, from, kHead));
}

// Text has no control characters but line ends, tabs, form feeds, the
// escape of JIS text and the old end-of-file mark.
bool looksLikeText(std::string_view text) {
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != 0x1A &&
             u != 0x1B) ||
            u == 0x7F)
            return false;
    }
    return true;
}

ForeignContent identifyText(const std::vector<std::uint8_t>& bytes) {
    using automation::FileContent;
    const std::string text = headAsText(bytes);
    const std::string lower = text::lowerAscii(text);
    const std::string_view start =
        std::string_view(lower).substr(std::min(lower.size(), lower.find_first_not_of(" \t\r\n")));
    auto has = [&](std::string_view s) { return lower.find(s) != std::string::npos; };
    const bool spreadsheetXml = has("urn:schemas-microsoft-com:office:spreadsheet") ||
                                has("progid=\"excel.sheet\"") ||
                                text.find("<Workbook") != std::string::npos;
    const ForeignContent xmlSheet{
        FileContent::XmlSpreadsheet,
        "is an XML spreadsheet (2003 format), not a binary .xls workbook"};
    const ForeignContent html{FileContent::Html, "is an HTML page, not a binary .xls workbook"};
    const ForeignContent xml{FileContent::Xml, "is an XML file, not a binary .xls workbook"};
    const bool htmlTags =
        has("<html") || has("<!doctype html") || has("<table") || has("<body") || has("<head");

    // A web page saved as a single file is a MIME message; its first
    // headers may be From or Subject.
    if (startsWith(start, "mime-version:") || (has("mime-version:") && has("multipart/related")))
        return {FileContent::WebArchive,
                "is a single-file web page (MIME/MHT), not a binary .xls workbook"};
    if (startsWith(start, "<?xml")) {
        if (spreadsheetXml) return xmlSheet;
        return htmlTags ? html : xml;
    }
    if (startsWith(start, "<")) {
        if (htmlTags) return html;
        return spreadsheetXml ? xmlSheet : xml;
    }
    // Markup after a few bytes of something else still says what the file
    // was meant to be.
    const std::string_view near = std::string_view(lower).substr(0, 512);
    if (near.find("<?xml") != std::string_view::npos ||
        text.substr(0, 512).find("<Workbook") != std::string::npos)
        return spreadsheetXml ? xmlSheet : xml;
    if (near.find("<html") != std::string_view::npos ||
        near.find("<table") != std::string_view::npos)
        return html;

    if (looksLikeText(text)) {
        std::string_view firstLine = start.substr(0, start.find_first_of("\r\n"));
        if (firstLine.find_first_of(",\t") != std::string_view::npos)
            return {FileContent::Csv, "is comma- or tab-separated text (CSV), not a workbook"};
        return {FileContent::Text, "is plain text, not a workbook"};
    }
    return {FileContent::Unknown, "is not an .xls workbook (no compound file signature)"};
}

}  // namespace

namespace {

// A regular file opened for reading, and its size as the open file gives
// it: on Linux one open and one fstat, not a look by name before the open.
// Throws as readFileBytes does when the path is missing, a folder, not a
// regular file or not readable.
class OpenedFile {
  public:
    explicit OpenedFile(const std::string& path) : path_(path) {
#ifdef _WIN32
        std::error_code ec;
        const auto fsPath = pathOf(path);
        const auto status = std::filesystem::status(fsPath, ec);
        if (ec || !std::filesystem::exists(status))
            fail(OpenFailure::NotFound, path, "does not exist");
        if (std::filesystem::is_directory(status)) failAsFolder();
        if (!std::filesystem::is_regular_file(status))
            fail(OpenFailure::NotAWorkbook, path, "is not a regular file");
        file_ = _wfopen(fsPath.c_str(), L"rb");
        if (!file_) failToOpen(errno);
        // The reads ask for whole files or large parts of them: stdio's
        // buffer would only add a copy.
        std::setvbuf(file_, nullptr, _IONBF, 0);
        const auto size = std::filesystem::file_size(fsPath, ec);
        size_ = ec ? 0 : size;
#else
        // Not blocking: a named pipe under a workbook's name must be refused,
        // not waited on.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) {
            const int err = errno;
            if (err == ENOENT || err == ENOTDIR)
                fail(OpenFailure::NotFound, path, "does not exist");
            failToOpen(err);
        }
        struct stat st {};
        if (::fstat(fd_, &st) != 0) failToOpen(errno);
        if (S_ISDIR(st.st_mode)) failAsFolder();
        if (!S_ISREG(st.st_mode)) fail(OpenFailure::NotAWorkbook, path, "is not a regular file");
        size_ = static_cast<std::uintmax_t>(st.st_size);
#endif
    }
    ~OpenedFile() {
        close();
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    // Bytes the file had when opened; 0 when it does not say.
    std::uintmax_t size() const {
        return size_;
    }

    // Reads up to n bytes, fewer only at the end of the file.
    std::size_t read(std::uint8_t* to, std::size_t n) {
#ifdef _WIN32
        const std::size_t got = std::fread(to, 1, n, file_);
        if (got < n && std::ferror(file_)) error_ = true;
        return got;
#else
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::read(fd_, to + got, n - got);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) error_ = true;
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
        return got;
#endif
    }
    bool failed() const {
        return error_;
    }

  private:
    void close() {
#ifdef _WIN32
        if (file_) std::fclose(file_);
        file_ = nullptr;
#else
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
#endif
    }
    [[noreturn]] void failAsFolder() {
        close();
        fail(OpenFailure::NotAWorkbook, path_, "is a folder, not a workbook",
             automation::FileContent::Folder);
    }
    [[noreturn]] void failToOpen(int err) {
        close();
        fail(err == EACCES || err == EPERM ? OpenFailure::AccessDenied : OpenFailure::Other, path_,
             std::string("cannot be opened: ") + std::strerror(err));
    }

    const std::string& path_;
#ifdef _WIN32
    std::FILE* file_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::uintmax_t size_ = 0;
    bool error_ = false;
};

}  // namespace

std::shared_ptr<std::vector<std::uint8_t>> readFileBytes(const std::string& path) {
    OpenedFile file(path);
    const std::uintmax_t size = file.size();
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    // A file that is neither a compound file nor a zip archive (which may be
    // a zip-based workbook) is judged by its first bytes alone:
    // a gigabyte of text named .xls must not be read whole to be refused.
    // A smaller file is asked for at its size, so it costs no more.
    const std::size_t first =
        size > 0 ? static_cast<std::size_t>(std::min<std::uintmax_t>(size, kJudgedBytes))
                 : kJudgedBytes;
    bytes->resize(first);
    bytes->resize(file.read(bytes->data(), first));
    if (file.failed()) fail(OpenFailure::Other, path, "could not be read");
    if (bytes->size() < first || bytes->size() == size ||
        (!cfb::CompoundFile::hasSignature(*bytes) && !startsWith(*bytes, "PK\x03\x04")))
        return bytes;
    if (size > kMaxFileSize)
        fail(OpenFailure::UnsupportedFormat, path,
             "is " + std::to_string(size) + " bytes, too large for a workbook");
    if (size > 0) bytes->reserve(static_cast<std::size_t>(size));
    std::uint8_t buf[65536];
    while (std::size_t n = file.read(buf, sizeof buf)) {
        if (bytes->size() + n > kMaxFileSize)
            fail(OpenFailure::UnsupportedFormat, path, "grew too large while being read");
        bytes->insert(bytes->end(), buf, buf + n);
    }
    if (file.failed()) fail(OpenFailure::Other, path, "could not be read to its end");
    return bytes;
}

ForeignContent identifyForeignContent(const std::vector<std::uint8_t>& bytes) {
    using automation::FileContent;
    if (bytes.empty()) return {FileContent::Empty, "is empty (0 bytes)"};
    if (startsWith(bytes, "PK\x03\x04") || startsWith(bytes, "PK\x05\x06"))
        return identifyZip(bytes);
    // A bare BIFF2 to BIFF4 stream starts with its BOF record, 0x0009, 0x0209
    // or 0x0409, not with a compound file header.
    if (bytes.size() >= 4 && bytes[0] == 0x09 &&
        (bytes[1] == 0x00 || bytes[1] == 0x02 || bytes[1] == 0x04) && bytes[3] == 0x00 &&
        bytes[2] >= 4 && bytes[2] <= 16)
        return {FileContent::EarlyWorkbook,
                "is an early (BIFF2 to BIFF4) workbook, which is not supported"};
    if (startsWith(bytes, "%PDF-")) return {FileContent::Pdf, "is a PDF document, not a workbook"};
    if (const char* picture = pictureFormat(bytes))
        return {FileContent::Picture, std::string("is a ") + picture + " picture, not a workbook"};
    return identifyText(bytes);
}

std::string describeForeignContent(const std::vector<std::uint8_t>& bytes) {
    return identifyForeignContent(bytes).description;
}

[[noreturn]] void failAsForeignContent(const std::string& path,
                                       const std::vector<std::uint8_t>& bytes) {
    failAsForeignContent(path, identifyForeignContent(bytes));
}

[[noreturn]] void failAsForeignContent(const std::string& path, const ForeignContent& found) {
    fail(OpenFailure::NotAWorkbook, path, found.description, found.kind);
}

}  // namespace xls::native
