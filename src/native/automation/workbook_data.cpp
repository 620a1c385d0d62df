#include "native/automation/workbook_data.h"

#include "automation/automation_error.h"
#include "native/automation/file_bytes.h"
#include "native/biff/biff_error.h"
#include "native/cfb/compound_file.h"
#include "native/crypto/crypto_error.h"
#include "native/crypto/workbook_decryptor.h"
#include "native/io/byte_reader.h"

namespace xls::native {

namespace {

using automation::AutomationError;
using automation::OpenFailure;

[[noreturn]] void fail(OpenFailure cause, const std::string& path, const std::string& why) {
    throw AutomationError(automation::errnum::kApplicationDefined, "'" + path + "' " + why, cause);
}

const char* encryptionName(biff::EncryptedError::Kind kind) {
    switch (kind) {
        case biff::EncryptedError::Kind::Xor:
            return "XOR obfuscation";
        case biff::EncryptedError::Kind::Rc4:
            return "RC4";
        case biff::EncryptedError::Kind::CryptoApi:
            return "RC4 CryptoAPI";
        case biff::EncryptedError::Kind::Unknown:
            break;
    }
    return "an unknown method";
}

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

std::optional<std::vector<std::uint8_t>> propertyStream(const cfb::CompoundFile& file,
                                                        std::string_view name) {
    // Properties are a bonus: a damaged property stream must not cost the
    // user the cell values.
    try {
        return file.readStream(name);
    } catch (const cfb::CfbError&) {
        return std::nullopt;
    }
}

}  // namespace

std::shared_ptr<WorkbookData> WorkbookData::load(const std::string& path) {
    auto bytes = readFileBytes(path);
    if (!cfb::CompoundFile::hasSignature(*bytes))
        fail(OpenFailure::NotAWorkbook, path, describeForeignContent(*bytes));

    auto data = std::make_shared<WorkbookData>();
    data->path_ = path;
    try {
        cfb::CompoundFile file(bytes);
        if (auto stream = file.readStream("Workbook")) {
            data->stream_ = std::move(*stream);
        } else if (file.findInRoot("Book")) {
            fail(OpenFailure::UnsupportedFormat, path,
                 "is a BIFF5/BIFF7 workbook (Excel 5.0/95), which is not supported yet");
        } else if (file.findInRoot("EncryptedPackage")) {
            fail(OpenFailure::Encrypted, path,
                 "is an encrypted workbook of the newer zip-based format");
        } else {
            fail(OpenFailure::NotAWorkbook, path,
                 "is a compound file without a workbook stream (another Office document?)");
        }
        auto si = propertyStream(file, "\x05SummaryInformation");
        auto dsi = propertyStream(file,
                                  "\x05"
                                  "DocumentSummaryInformation");
        data->properties_ =
            propset::readBuiltinProperties(si ? &*si : nullptr, dsi ? &*dsi : nullptr);
    } catch (const cfb::CfbError& e) {
        fail(OpenFailure::Damaged, path, std::string("is damaged: ") + e.what());
    }

    try {
        try {
            data->globals_ = biff::parseGlobals(data->stream_);
        } catch (const biff::EncryptedError& e) {
            // A workbook whose structure or windows are protected is
            // enciphered with the application's default password and opens
            // without asking; only a password the user chose keeps us out.
            std::optional<std::vector<std::uint8_t>> plain;
            try {
                plain = crypto::decryptWorkbookStream(data->stream_, crypto::kDefaultPassword);
            } catch (const crypto::CryptoError& c) {
                fail(OpenFailure::Encrypted, path,
                     std::string("is protected by a password (") + encryptionName(e.kind()) + "; " +
                         c.what() + ")");
            }
            if (!plain)
                fail(OpenFailure::Encrypted, path,
                     std::string("is protected by a password (") + encryptionName(e.kind()) + ")");
            data->stream_ = std::move(*plain);
            data->globals_ = biff::parseGlobals(data->stream_, true);
        }
    } catch (const biff::UnsupportedVersionError& e) {
        fail(OpenFailure::UnsupportedFormat, path,
             "is a BIFF" + std::to_string(e.biffVersion()) + " workbook, which is not supported");
    } catch (const biff::BiffError& e) {
        fail(OpenFailure::Damaged, path, std::string("is damaged: ") + e.what());
    } catch (const io::ReadPastEnd& e) {
        fail(OpenFailure::Damaged, path, std::string("is damaged: ") + e.what());
    }
    if (data->globals_.sheets.empty()) fail(OpenFailure::Damaged, path, "has no sheets");
    data->activeSheet_ = activeSheetOf(data->globals_, data->stream_);
    data->sheets_.resize(data->globals_.sheets.size());
    return data;
}

const biff::Worksheet& WorkbookData::sheet(std::size_t index) {
    if (index >= sheets_.size())
        throw AutomationError(
            automation::errnum::kSubscriptOutOfRange,
            "sheet " + std::to_string(index + 1) + " of " + std::to_string(sheets_.size()));
    if (!sheets_[index]) {
        try {
            sheets_[index] =
                std::make_unique<biff::Worksheet>(biff::parseWorksheet(stream_, globals_, index));
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
