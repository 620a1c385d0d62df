#include "native/automation/workbook_data.h"

#include "automation/automation_error.h"
#include "native/automation/workbook_file.h"
#include "native/biff/biff_error.h"
#include "native/cfb/compound_file.h"
#include "native/io/byte_reader.h"

namespace xls::native {

namespace {

using automation::AutomationError;
using automation::OpenFailure;

// WINDOW1.itabCur: the sheet that was active when the file was saved.
std::size_t activeSheetOf(const biff::Globals& globals, const std::vector<std::uint8_t>& stream) {
    constexpr std::uint16_t kWindow1 = 0x003D;
    for (const auto& r : globals.records) {
        if (r.id != kWindow1 || r.size < 12) continue;
        std::size_t at = std::size_t{r.offset} + 4 + 10;
        if (at + 2 > stream.size()) break;
        std::size_t tab = io::le16(stream.data() + at);
        return tab < globals.sheets.size() ? tab : 0;
    }
    return 0;
}

}  // namespace

std::shared_ptr<WorkbookData> WorkbookData::load(const std::string& path) {
    WorkbookFile file = readWorkbookFile(path);
    auto data = std::make_shared<WorkbookData>();
    data->path_ = path;
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
                                      "' is damaged: " + e.what());
        } catch (const io::ReadPastEnd& e) {
            throw AutomationError(automation::errnum::kApplicationDefined,
                                  "sheet '" + globals_.sheets[index].name + "' of '" + path_ +
                                      "' is damaged: " + e.what());
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
