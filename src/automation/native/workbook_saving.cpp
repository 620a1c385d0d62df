#include "automation/native/workbook_saving.h"
#include "native/text/ascii.h"

#include <chrono>
#include <ctime>
#include <string_view>

#include "automation/automation_error.h"
#include "automation/native/editing.h"
#include "native/calendar/date_systems.h"
#include "native/cfb/atomic_file_write.h"
#include "native/cfb/compound_file_writer.h"
#include "native/propset/property_set.h"
#include "native/propset/property_set_writer.h"
#include "native/propset/propset_error.h"
#include "native/propset/summary_writer.h"
#include "native/xlsx/xlsx_error.h"
#include "native/xlsx_update/package_update.h"
#include "native/xlsx_writer/package_parts.h"
#include "native/zip/zip_writer.h"

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

constexpr std::string_view kApplicationName = "mokuji";
constexpr std::string_view kSummaryStream = "\x05SummaryInformation";

// Excel 5.0/95 named the stream "Book".
bool isWorkbookStream(const std::string& entry) {
    return text::equalsIgnoringAsciiCase(entry, "Workbook") ||
           text::equalsIgnoringAsciiCase(entry, "Book");
}
// Property ids of the summary information section.
constexpr std::uint32_t kPidLastSaved = 0x0D;
constexpr std::uint32_t kPidApplication = 0x12;

propset::FileTime now() {
    using namespace std::chrono;
    auto since1601 =
        duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100 -
        calendar::kFileTimeEpoch * 86400 * calendar::kFileTimeTicksPerSecond;
    return {static_cast<std::uint64_t>(since1601)};
}

std::string textOf(const std::optional<propset::BuiltinProperty>& p) {
    if (!p) return {};
    if (auto s = std::get_if<std::string>(&p->value)) return *s;
    return {};
}

// The summary of the file read before, with this save's time and program;
// everything else in it (thumbnails, counts, the template) kept.
std::optional<std::vector<std::uint8_t>> updatedSummary(const cfb::CompoundFile& source,
                                                        propset::FileTime saved) {
    std::optional<std::vector<std::uint8_t>> bytes;
    try {
        bytes = source.readStream(kSummaryStream);
    } catch (const cfb::CfbError&) {
        return std::nullopt;
    }
    if (!bytes) return std::nullopt;
    try {
        propset::PropertySet set = propset::parsePropertySet(*bytes);
        for (auto& section : set.sections) {
            if (section.fmtid != propset::kSummaryInformationFmtid) continue;
            propset::Value time;
            time.type = propset::VT_FILETIME;
            time.data = saved;
            section.properties[kPidLastSaved] = time;
            propset::Value app;
            app.type = propset::VT_LPSTR;
            app.data = std::string(kApplicationName);
            section.properties[kPidApplication] = app;
            return propset::writePropertySet(set);
        }
    } catch (const propset::PropsetError&) {
    }
    return std::nullopt;
}

std::vector<std::uint8_t> newSummary(const EditState& state, propset::FileTime saved) {
    propset::SummaryFields fields;
    auto set = [&](std::optional<std::string>& field, int index) {
        std::string text = textOf(state.properties[index]);
        if (!text.empty()) field = text;
    };
    set(fields.title, 1);
    set(fields.subject, 2);
    set(fields.author, 3);
    set(fields.keywords, 4);
    set(fields.comments, 5);
    set(fields.lastAuthor, 7);
    fields.applicationName = std::string(kApplicationName);
    const auto& created = state.properties[11];
    if (created && std::holds_alternative<propset::FileTime>(created->value)) {
        fields.created = std::get<propset::FileTime>(created->value);
    } else {
        fields.created = saved;
    }
    fields.lastSaved = saved;
    fields.security = 0;
    return propset::writeSummaryInformation(fields);
}

}  // namespace

std::shared_ptr<const cfb::CompoundFile> keptForSaving(
    std::shared_ptr<const cfb::CompoundFile> source) {
    if (!source) return source;
    try {
        cfb::CompoundFileWriter kept;
        kept.copyFrom(*source, [](const std::string& entry) { return !isWorkbookStream(entry); });
        return std::make_shared<cfb::CompoundFile>(
            std::make_shared<const std::vector<std::uint8_t>>(kept.finish()));
    } catch (const cfb::CfbError&) {
        return source;
    }
}

namespace {

// A save that could not write its file, in the object model's terms.
[[noreturn]] void throwWriteFailure(const cfb::FileWriteError& e) {
    using Cause = cfb::FileWriteError::Cause;
    using automation::FileContent;
    using automation::OpenFailure;
    switch (e.cause()) {
        case Cause::NoPermission:
            throw AutomationError(errnum::kApplicationDefined, e.what(), OpenFailure::AccessDenied);
        case Cause::NoFolder:
            throw AutomationError(errnum::kApplicationDefined, e.what(), OpenFailure::NotFound);
        case Cause::DiskFull:
            throw AutomationError(errnum::kApplicationDefined, e.what(), OpenFailure::DiskFull);
        case Cause::IsFolder:
            throw AutomationError(errnum::kApplicationDefined, e.what(), OpenFailure::NotAWorkbook,
                                  FileContent::Folder);
        case Cause::Other:
            break;
    }
    throw AutomationError(errnum::kApplicationDefined, e.what(), OpenFailure::Other);
}

// Only .xlsx: a package under an .xlsm name would need the macro-enabled
// content type, and the application refuses one whose type and name differ.
bool zipBased(const std::string& path) {
    constexpr std::string_view extension = ".xlsx";
    return path.size() > extension.size() &&
           text::equalsIgnoringAsciiCase(
               std::string_view(path).substr(path.size() - extension.size()), extension);
}

// "2026-12-09T08:00:00Z" and the DOS time of the same moment, in UTC.
std::pair<std::string, zip::DosTime> saveTime() {
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &t);
#else
    gmtime_r(&t, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    zip::DosTime dos;
    try {
        dos = zip::dosTime(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                           utc.tm_sec);
    } catch (const zip::ZipError&) {
        // A clock outside what the form holds: the form's first day.
    }
    return {text, dos};
}

// The workbook as a zip-based package: its parts made from the model,
// deflated one after another into the file as it is written.
void saveZipWorkbookFile(const EditState& state, const std::string& path) {
    // Named apart: a lambda may not capture a structured binding before C++20
    // compilers all allow it.
    const auto saved = saveTime();
    const std::string& when = saved.first;
    const zip::DosTime dosWhen = saved.second;
    const auto cannotWrite = [&](const char* why) {
        throw AutomationError(errnum::kApplicationDefined,
                              "'" + path + "' could not be written: " + why);
    };
    // A workbook read from a package is written into that package, so that
    // what the model does not hold stays as it was.
    std::vector<xlsx_writer::Part> parts;
    if (!state.package)
        parts = editing([&] {
            return xlsx_writer::workbookParts(state.model, {"mokuji", when, when});
        });
    try {
        cfb::writeMadeFileAtomically(path, [&](const cfb::ByteSink& sink) {
            zip::ZipWriter writer(sink, dosWhen);
            if (state.package) {
                xlsx_update::writeUpdatedPackage(state.model, *state.package, writer);
                return;
            }
            for (const xlsx_writer::Part& part : parts) writer.addDeflated(part.name, part.bytes);
            writer.finish();
        });
    } catch (const cfb::FileWriteError& e) {
        throwWriteFailure(e);
    } catch (const zip::ZipError& e) {
        cannotWrite(e.what());
    } catch (const xlsx::XlsxError& e) {
        cannotWrite(e.what());
    } catch (const book::BookError& e) {
        cannotWrite(e.what());
    }
}

}  // namespace

void saveWorkbookFile(const EditState& state, const std::string& path) {
    // Saved in place, a workbook keeps its format whatever its name says.
    if (zipBased(path) || (state.package && path == state.path))
        return saveZipWorkbookFile(state, path);
    std::vector<std::uint8_t> stream = editing([&] { return state.model.serialize(); });
    propset::FileTime saved = now();
    try {
        cfb::CompoundFileWriter writer;
        std::optional<std::vector<std::uint8_t>> summary;
        if (state.source) {
            writer.copyFrom(*state.source, [](const std::string& entry) {
                return !isWorkbookStream(entry) &&
                       !text::equalsIgnoringAsciiCase(entry, kSummaryStream);
            });
            summary = updatedSummary(*state.source, saved);
        } else {
            writer.setRootClsid(cfb::kWorkbookClsid);
        }
        if (!summary) summary = newSummary(state, saved);
        writer.addStream("Workbook", std::move(stream));
        writer.addStream(kSummaryStream, std::move(*summary));
        cfb::writeMadeFileAtomically(path, [&](const cfb::ByteSink& sink) { writer.finish(sink); });
    } catch (const cfb::FileWriteError& e) {
        throwWriteFailure(e);
    } catch (const cfb::CfbError& e) {
        throw AutomationError(errnum::kApplicationDefined,
                              "'" + path + "' could not be written: " + e.what());
    } catch (const propset::PropsetError& e) {
        throw AutomationError(errnum::kApplicationDefined,
                              "'" + path + "' could not be written: " + e.what());
    }
}

}  // namespace xls::native
