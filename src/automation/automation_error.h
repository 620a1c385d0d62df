#pragma once

#include <stdexcept>
#include <string>

namespace automation {

// Error numbers, as the automation runtime reports them.
namespace errnum {
inline constexpr long kInvalidProcedureCall = 5;
inline constexpr long kOverflow = 6;
inline constexpr long kSubscriptOutOfRange = 9;
inline constexpr long kTypeMismatch = 13;
inline constexpr long kCannotCreateObject = 429;
inline constexpr long kObjectRequired = 424;
// The object has no such property or method.
inline constexpr long kMemberNotSupported = 438;
// The spreadsheet application's catch-all: a member failed on its object.
inline constexpr long kApplicationDefined = 1004;
// A generic automation failure (E_FAIL), e.g. reading an unset property.
inline constexpr long kAutomationFailure = -2147467259;
}  // namespace errnum

// Why a workbook could not be opened (or saved: not found is then its
// folder, and the disk may be full), as far as the implementation can tell.
// Lets the caller explain a failure without parsing message texts.
enum class OpenFailure {
    None,
    NotFound,
    AccessDenied,
    DiskFull,
    Encrypted,
    Damaged,
    NotAWorkbook,
    UnsupportedFormat,
    Other,
};

// What a file that is not a workbook of the expected kind holds, as far as
// its first bytes tell. A user who saved a sheet under the wrong name needs
// to hear which format it really is to save it again the right way.
enum class FileContent {
    Unknown,
    Empty,
    Folder,
    EarlyWorkbook,      // BIFF2 to BIFF4, without a compound file
    ZipWorkbook,        // .xlsx, .xlsm, .xlsb
    OpenDocumentSheet,  // .ods
    OtherZipDocument,   // another zip-based office document
    Zip,
    XmlSpreadsheet,  // the XML spreadsheet format of 2003
    Xml,
    Html,
    WebArchive,  // MIME/MHT single-file web page
    Csv,
    Text,
    Pdf,
    Picture,
};

// Every failed operation of the object model throws this. The number is
// what a caller traps on; the description says what was found.
class AutomationError : public std::runtime_error {
  public:
    AutomationError(long number, const std::string& description,
                    OpenFailure cause = OpenFailure::None,
                    FileContent content = FileContent::Unknown)
        : std::runtime_error(description), number_(number), cause_(cause), content_(content) {}

    long number() const { return number_; }
    OpenFailure openFailure() const { return cause_; }
    // Set with OpenFailure::NotAWorkbook when the file's content was recognised.
    FileContent foundContent() const { return content_; }

  private:
    long number_;
    OpenFailure cause_;
    FileContent content_;
};

}  // namespace automation
