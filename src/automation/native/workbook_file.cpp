#include "automation/native/workbook_file.h"

#include "automation/native/file_bytes.h"
#include "automation/native/workbook_saving.h"
#include "native/biff/biff_error.h"
#include "native/book/book_error.h"
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

const char* methodName(crypto::Method method) {
    switch (method) {
        case crypto::Method::XorObfuscation:
            return "XOR obfuscation";
        case crypto::Method::Rc4:
            return "RC4";
        case crypto::Method::Rc4CryptoApi:
            return "RC4 CryptoAPI";
    }
    return "an unknown method";
}

// A workbook whose structure or windows are protected is enciphered with
// the application's default password and opens without asking; only a
// password the user chose keeps us out.
void decipher(WorkbookFile& file) {
    std::optional<crypto::FilePassLocation> filePass;
    try {
        filePass = crypto::findFilePass(file.stream);
    } catch (const crypto::CryptoError& e) {
        fail(OpenFailure::Encrypted, file.path,
             std::string("is protected by a password (") + e.what() + ")");
    }
    if (!filePass) return;
    std::optional<std::vector<std::uint8_t>> plain;
    try {
        plain = crypto::decryptWorkbookStream(file.stream, crypto::kDefaultPassword);
    } catch (const crypto::CryptoError& e) {
        fail(OpenFailure::Encrypted, file.path,
             std::string("is protected by a password (") + e.what() + ")");
    }
    if (!plain) {
        const char* method = "an unknown method";
        try {
            auto body = std::span<const std::uint8_t>(file.stream)
                            .subspan(filePass->bodyOffset, filePass->bodySize);
            method = methodName(crypto::parseFilePass(body, filePass->layout).method);
        } catch (const crypto::CryptoError&) {
        }
        fail(OpenFailure::Encrypted, file.path,
             std::string("is protected by a password (") + method + ")");
    }
    file.stream = std::move(*plain);
    file.decrypted = true;
}

}  // namespace

WorkbookFile readWorkbookFile(const std::string& path) {
    return readWorkbookFile(path, readFileBytes(path));
}

namespace {

// keep makes what the WorkbookFile holds of the container from it, before
// the stream is taken out of the container's bytes.
template <typename MakeContainer, typename Keep>
WorkbookFile readFrom(const std::string& path, MakeContainer&& make, Keep&& keep) {
    WorkbookFile file;
    file.path = path;
    try {
        std::shared_ptr<cfb::CompoundFile> container = make();
        // Excel 5.0/95 named the stream "Book"; the records say which
        // version either name holds.
        const cfb::DirectoryEntry* stream = container->findInRoot("Workbook");
        if (!stream || !stream->isStream()) stream = container->findInRoot("Book");
        if (!stream || !stream->isStream()) {
            if (container->findInRoot("EncryptedPackage"))
                fail(OpenFailure::Encrypted, path,
                     "is an encrypted workbook of the newer zip-based format");
            fail(OpenFailure::NotAWorkbook, path,
                 "is a compound file without a workbook stream (another Office document?)");
        }
        auto si = propertyStream(*container, "\x05SummaryInformation");
        auto dsi = propertyStream(*container,
                                  "\x05"
                                  "DocumentSummaryInformation");
        file.properties =
            propset::readBuiltinProperties(si ? &*si : nullptr, dsi ? &*dsi : nullptr);
        file.container = keep(std::shared_ptr<const cfb::CompoundFile>(container));
        file.stream = file.container.get() == container.get() ? container->readStream(*stream)
                                                              : container->takeStream(*stream);
    } catch (const cfb::CfbError& e) {
        fail(OpenFailure::Damaged, path, std::string("is damaged: ") + e.what());
    }
    decipher(file);
    return file;
}

}  // namespace

WorkbookFile readWorkbookFile(const std::string& path,
                              std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    if (!cfb::CompoundFile::hasSignature(*bytes)) failAsForeignContent(path, *bytes);
    return readFrom(
        path, [&] { return std::make_shared<cfb::CompoundFile>(std::move(bytes)); },
        [](std::shared_ptr<const cfb::CompoundFile> container) { return container; });
}

WorkbookFile readWorkbookFileForEditing(const std::string& path,
                                        std::vector<std::uint8_t>&& bytes) {
    if (!cfb::CompoundFile::hasSignature(bytes)) failAsForeignContent(path, bytes);
    return readFrom(
        path, [&] { return std::make_shared<cfb::CompoundFile>(std::move(bytes)); },
        [](std::shared_ptr<const cfb::CompoundFile> container) {
            return keptForSaving(std::move(container));
        });
}

void rethrowAsOpenFailure(const std::string& path) {
    try {
        throw;
    } catch (const AutomationError&) {
        throw;
    } catch (const biff::EncryptedError& e) {
        fail(OpenFailure::Encrypted, path,
             std::string("is protected by a password (") + e.what() + ")");
    } catch (const biff::UnsupportedVersionError& e) {
        if (e.biffVersion() == 5) {
            // Only the editable model refuses these: it writes BIFF8 records
            // and would mix them with the file's BIFF5 ones.
            fail(OpenFailure::UnsupportedFormat, path,
                 "is a BIFF5/BIFF7 workbook (Excel 5.0/95), which can be read but not opened "
                 "for editing");
        }
        fail(OpenFailure::UnsupportedFormat, path,
             "is a BIFF" + std::to_string(e.biffVersion()) + " workbook, which is not supported");
    } catch (const biff::BiffError& e) {
        fail(OpenFailure::Damaged, path, std::string("is damaged: ") + e.what());
    } catch (const book::BookError& e) {
        fail(OpenFailure::Damaged, path, std::string("cannot be edited: ") + e.what());
    } catch (const io::ReadPastEnd& e) {
        fail(OpenFailure::Damaged, path, std::string("is damaged: ") + e.what());
    }
}

}  // namespace xls::native
