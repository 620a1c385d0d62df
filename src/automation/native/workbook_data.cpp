#include "automation/native/workbook_data.h"

#include "automation/automation_error.h"
#include "automation/native/file_bytes.h"
#include "automation/native/workbook_file.h"
#include "native/biff/biff_error.h"
#include "native/biff/record_ids.h"
#include "native/cfb/compound_file.h"
#include "native/io/byte_reader.h"
#include "native/xlsx/xlsx_error.h"

namespace xls::native {

namespace {

using automation::AutomationError;
using automation::OpenFailure;

// WINDOW1.itabCur: the sheet that was active when the file was saved.
std::size_t activeSheetOf(const biff::Globals& globals, const std::vector<std::uint8_t>& stream) {
    for (const auto& r : globals.records) {
        if (r.id != biff::rec::Window1 || r.size < 12) continue;
        std::size_t at = std::size_t{r.offset} + 4 + 10;
        if (at + 2 > stream.size()) break;
        std::size_t tab = io::le16(stream.data() + at);
        return tab < globals.sheets.size() ? tab : 0;
    }
    return 0;
}

}  // namespace

void WorkbookData::loadZipBased(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    // Kept as a zip-based workbook whatever goes wrong, so that a
    // spreadsheet application can be asked to read it instead.
    auto fail = [this](OpenFailure cause, const std::string& why) {
        throw AutomationError(automation::errnum::kApplicationDefined, "'" + path_ + "' " + why,
                              cause, automation::FileContent::ZipWorkbook);
    };
    try {
        zipBased_ = xlsx::Workbook::open(std::move(bytes));
    } catch (const xlsx::XlsxRefused& e) {
        fail(OpenFailure::UnsupportedFormat, std::string("is refused: ") + e.what());
    } catch (const xlsx::XlsxError& e) {
        fail(OpenFailure::Damaged, std::string("is damaged: ") + e.what());
    }
    globals_ = zipBased_->takeGlobals();
    activeSheet_ = zipBased_->activeSheet();
}

std::shared_ptr<WorkbookData> WorkbookData::load(const std::string& path) {
    auto bytes = readFileBytes(path);
    auto data = std::make_shared<WorkbookData>();
    data->path_ = path;
    if (!cfb::CompoundFile::hasSignature(*bytes)) {
        ForeignContent found = identifyForeignContent(*bytes);
        if (found.kind != automation::FileContent::ZipWorkbook) failAsForeignContent(path, found);
        data->loadZipBased(std::move(bytes));
        return data;
    }
    WorkbookFile file = readWorkbookFile(path, std::move(bytes));
    data->stream_ = std::move(file.stream);
    data->properties_ = file.properties;
    // The file's bytes are not needed past the stream: let them go before
    // the globals take their share.
    file.container.reset();
    data->globals_ =
        parseOrFail(path, [&] { return biff::parseGlobals(data->stream_, file.decrypted); });
    if (data->globals_.sheets.empty())
        throw AutomationError(automation::errnum::kApplicationDefined,
                              "'" + path + "' is damaged: it has no sheets", OpenFailure::Damaged);
    data->activeSheet_ = activeSheetOf(data->globals_, data->stream_);
    data->sheets_.resize(data->globals_.sheets.size());
    return data;
}

std::optional<biff::Cell> WorkbookData::find(std::size_t sheet, std::uint16_t row,
                                             std::uint16_t col) {
    if (!zipBased_) return this->sheet(sheet).find(row, col);
    try {
        return zipBased_->find(sheet, row, col);
    } catch (const xlsx::XlsxError& e) {
        failUnreadableSheet(sheet, e);
    }
}

void WorkbookData::failUnreadableSheet(std::size_t index, const xlsx::XlsxError& why) const {
    // Said as an opening failure would be: the values are as lost to the
    // row as those of a file that does not open.
    const bool refused = dynamic_cast<const xlsx::XlsxRefused*>(&why) != nullptr;
    throw AutomationError(automation::errnum::kApplicationDefined,
                          "sheet '" + globals_.sheets.at(index).name + "' of '" + path_ +
                              "' cannot be read: " + why.what(),
                          refused ? OpenFailure::UnsupportedFormat : OpenFailure::Damaged,
                          automation::FileContent::ZipWorkbook);
}

std::vector<biff::Cell> WorkbookData::cells(std::size_t index) {
    if (zipBased_) {
        try {
            return zipBased_->cells(index);
        } catch (const xlsx::XlsxError& e) {
            failUnreadableSheet(index, e);
        }
    }
    const auto& s = sheet(index);
    std::vector<biff::Cell> out;
    for (std::uint32_t row = 0; row < s.rowLimit(); ++row)
        for (auto& cell : s.row(static_cast<std::uint16_t>(row))) out.push_back(std::move(cell));
    return out;
}

const biff::CellIndex& WorkbookData::sheet(std::size_t index) {
    if (index >= sheets_.size())
        throw AutomationError(
            automation::errnum::kSubscriptOutOfRange,
            "sheet " + std::to_string(index + 1) + " of " + std::to_string(sheets_.size()));
    if (!sheets_[index]) {
        try {
            sheets_[index] =
                std::make_unique<biff::CellIndex>(biff::CellIndex::build(stream_, globals_, index));
        } catch (const biff::BiffError& e) {
            throw AutomationError(automation::errnum::kApplicationDefined,
                                  "sheet '" + globals_.sheets[index].name + "' of '" + path_ +
                                      "' is damaged: " + e.what(),
                                  OpenFailure::Damaged);
        } catch (const io::ReadPastEnd& e) {
            throw AutomationError(automation::errnum::kApplicationDefined,
                                  "sheet '" + globals_.sheets[index].name + "' of '" + path_ +
                                      "' is damaged: " + e.what(),
                                  OpenFailure::Damaged);
        }
    }
    return *sheets_[index];
}

format::ValueKind WorkbookData::valueKindOfXf(std::uint16_t xf) {
    if (xf >= globals_.xfs.size()) return format::ValueKind::Number;
    std::uint16_t id = globals_.xfs[xf].format;
    auto it = kindOfFormat_.find(id);
    if (it != kindOfFormat_.end()) return it->second;
    auto code = globals_.formats.find(id);
    auto kind =
        format::classifyFormat(id, code == globals_.formats.end() ? nullptr : &code->second);
    kindOfFormat_.emplace(id, kind);
    return kind;
}

}  // namespace xls::native
