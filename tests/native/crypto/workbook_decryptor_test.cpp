#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "crypto_test_util.h"
#include "native/crypto/crypto_error.h"
#include "native/crypto/workbook_decryptor.h"
#include "native/text/unicode.h"

namespace xls::crypto {
namespace {

using testing::le16At;
using testing::le32At;
using testing::Record;
using testing::records;
using testing::workbookStream;

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kSst = 0x00FC;

struct OpenableFile {
    std::string file;
    std::string password;
    std::uint16_t codePage;
    std::vector<std::string> sheets;
    // Text the decrypted string table or sheet names must contain; empty
    // when the file has no text worth checking.
    std::string text;
};

// Files whose password is known: from their names and source notes, or the
// default one for files that are only structure-protected.
const std::vector<OpenableFile>& openableFiles() {
    // The Russian default sheet name.
    static const std::string kList = "\xD0\x9B\xD0\xB8\xD1\x81\xD1\x82";
    static const std::vector<OpenableFile> files = {
        {"apache__poi/password.xls",
         "password",
         1200,
         {kList + "1", kList + "2", kList + "3"},
         "A ZIP bomb is a variant of mail-bombing"},
        {"ExcelDataReader__ExcelDataReader/Test_git_issue_242_std_rc4_pwd_password.xls",
         "password",
         1200,
         {"Sheet1"},
         "Password: password"},
        {"ExcelDataReader__ExcelDataReader/Test_git_issue_242_xor_pwd_password.xls",
         "password",
         1252,
         {"Sheet1"},
         ""},
        {"SheetJS__test_files/biff5__password_2002_40_xor.xls",
         "password",
         1252,
         {"Sheet1", "Sheet2", "Sheet3"},
         ""},
        {"SheetJS__test_files/root__password_2002_40_xor.xls",
         "password",
         1200,
         {"Sheet1", "Sheet2", "Sheet3"},
         ""},
        {"SheetJS__test_files/password_2002_40_dss.xls",
         "password",
         1200,
         {"Sheet1", "Sheet2", "Sheet3"},
         ""},
        {"SheetJS__test_files/password_2002_128_enhanced.xls",
         "password",
         1200,
         {"Sheet1", "Sheet2", "Sheet3"},
         ""},
        {"SheetJS__test_files/password_2002_128_enhdss.xls",
         "password",
         1200,
         {"Sheet1", "Sheet2", "Sheet3"},
         ""},
        {"SheetJS__test_files/password_2002_128_enhrsa.xls",
         "password",
         1200,
         {"Sheet1", "Sheet2", "Sheet3"},
         ""},
        {"ExcelDataReader__ExcelDataReader/protectedsheet-xxx.xls",
         std::string(kDefaultPassword),
         1200,
         {"Sheet1"},
         "x"},
        {"ExcelDataReader__ExcelDataReader/TestExcel_2040.xls",
         std::string(kDefaultPassword),
         1200,
         {"Sheet1", "Sheet2", "Sheet3"},
         "Kathiravan"},
        {"PHPOffice__PhpSpreadsheet/pwtest.xls",
         std::string(kDefaultPassword),
         1200,
         {"Sheet1", "Sheet2", "Sheet3"},
         "x"},
        {"PHPOffice__PhpSpreadsheet/pwtest3.xls",
         std::string(kDefaultPassword),
         1200,
         {"Sheet1"},
         "x"},
        {"tafia__calamine/issue_385.xls", std::string(kDefaultPassword), 1200, {"Sheet1"}, ""},
    };
    return files;
}

// Sheet name of a decrypted BOUNDSHEET: BIFF8 has a Unicode string with an
// option byte, BIFF5 a byte string.
std::string sheetName(std::span<const std::uint8_t> body, bool biff8) {
    const std::size_t count = body[6];
    if (!biff8) return text::latin1ToUtf8(body.subspan(7, count));
    if (body[7] & 1) return text::utf16leToUtf8(body.subspan(8, 2 * count));
    return text::latin1ToUtf8(body.subspan(8, count));
}

bool containsText(std::span<const std::uint8_t> body, const std::string& text) {
    return std::search(body.begin(), body.end(), text.begin(), text.end()) != body.end();
}

TEST(DecryptWorkbook, OpensFilesWithKnownPasswords) {
    for (const auto& f : openableFiles()) {
        SCOPED_TRACE(f.file);
        const auto encrypted = workbookStream(f.file);
        const auto decrypted = decryptWorkbookStream(encrypted, f.password);
        ASSERT_TRUE(decrypted);
        ASSERT_EQ(decrypted->size(), encrypted.size());

        const auto before = records(encrypted);
        const auto after = records(*decrypted);
        ASSERT_EQ(before.size(), after.size());
        bool seenFilePass = false;
        bool biff8 = le16At(after.front().body, 0) >= 0x0600;
        std::vector<std::string> sheets;
        bool textFound = f.text.empty();
        std::uint16_t codePage = 0;
        for (std::size_t k = 0; k < after.size(); ++k) {
            const Record& r = after[k];
            // Headers, and whatever comes up to FILEPASS, stay as they were.
            ASSERT_EQ(r.id, before[k].id);
            ASSERT_EQ(r.body.size(), before[k].body.size());
            if (!seenFilePass || r.id == kBof) {
                EXPECT_TRUE(std::equal(r.body.begin(), r.body.end(), before[k].body.begin()))
                    << "record " << k;
            }
            if (r.id == kFilePass) seenFilePass = true;
            if (r.id == kCodePage) codePage = le16At(r.body, 0);
            if (r.id == kBoundSheet) {
                sheets.push_back(sheetName(r.body, biff8));
                // The substream position is readable and points at a BOF.
                const std::uint32_t pos = le32At(r.body, 0);
                ASSERT_LE(pos + 4u, decrypted->size());
                EXPECT_EQ(le16At(*decrypted, pos), kBof);
            }
            if (!textFound && (r.id == kSst || r.id == 0x003C) && containsText(r.body, f.text)) {
                textFound = true;
            }
        }
        EXPECT_TRUE(seenFilePass);
        EXPECT_EQ(codePage, f.codePage);
        EXPECT_EQ(sheets, f.sheets);
        EXPECT_TRUE(textFound) << f.text;

        EXPECT_EQ(decryptWorkbookStream(encrypted, f.password + "x"), std::nullopt);
        EXPECT_EQ(decryptWorkbookStream(encrypted, ""), std::nullopt);
    }
}

// The same workbook saved with five different methods must decrypt to the
// same content: fonts, number formats, cell formats, styles, sheet names,
// cells and formulas. Saving stamps the BOF and the user name anew, so
// those records differ between the copies.
TEST(DecryptWorkbook, AllMethodsAgreeOnTheSameWorkbook) {
    auto plainRecords = [](const std::string& file) {
        const auto stream = workbookStream(file);
        const auto decrypted = decryptWorkbookStream(stream, "password");
        std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> out;
        for (const Record& r : records(*decrypted)) {
            static const std::vector<std::uint16_t> kContent = {
                0x0031, 0x041E, 0x00E0, 0x0293, 0x0085, 0x0200, 0x0208,
                0x027E, 0x0203, 0x0006, 0x00FD, 0x00FC, 0x023E};
            if (std::find(kContent.begin(), kContent.end(), r.id) == kContent.end()) continue;
            auto body = std::vector<std::uint8_t>(r.body.begin(), r.body.end());
            if (r.id == kBoundSheet) std::fill(body.begin(), body.begin() + 4, 0);
            // A formula's calculation-chain word is scratch space the
            // application does not clear between saves.
            if (r.id == 0x0006 && body.size() >= 20)
                std::fill(body.begin() + 16, body.begin() + 20, 0);
            out.emplace_back(r.id, std::move(body));
        }
        return out;
    };
    const auto reference = plainRecords("SheetJS__test_files/root__password_2002_40_xor.xls");
    EXPECT_GT(reference.size(), 50u);
    for (const char* file : {"SheetJS__test_files/password_2002_40_dss.xls",
                             "SheetJS__test_files/password_2002_128_enhanced.xls",
                             "SheetJS__test_files/password_2002_128_enhdss.xls",
                             "SheetJS__test_files/password_2002_128_enhrsa.xls"}) {
        const auto records = plainRecords(file);
        ASSERT_EQ(records.size(), reference.size()) << file;
        for (std::size_t k = 0; k < records.size(); ++k) {
            EXPECT_TRUE(records[k] == reference[k])
                << file << " record " << k << " id " << reference[k].first << " "
                << testing::hex(records[k].second) << " vs " << testing::hex(reference[k].second);
        }
    }
}

// Files protected with a password of their own: the default password must
// not open them, but their FILEPASS is understood, so the caller can say
// they need a password rather than that they are damaged.
TEST(DecryptWorkbook, DefaultPasswordDoesNotOpenRealPasswords) {
    for (const char* file :
         {"apache__poi/35897-type4.xls", "apache__poi/51832.xls", "nissl-lab__npoi/97_password.xls",
          "nissl-lab__npoi/97_rc4cryptoapi_password.xls",
          "PHPOffice__PhpSpreadsheet/pwtest2.xls"}) {
        const auto stream = workbookStream(file);
        EXPECT_EQ(decryptWorkbookStream(stream, kDefaultPassword), std::nullopt) << file;
    }
    for (const auto& f : openableFiles()) {
        if (f.password == kDefaultPassword) continue;
        EXPECT_EQ(decryptWorkbookStream(workbookStream(f.file), kDefaultPassword), std::nullopt)
            << f.file;
    }
}

TEST(DecryptWorkbook, StreamsWithoutFilePassComeBackUnchanged) {
    EXPECT_EQ(decryptWorkbookStream({}, "x"), std::vector<std::uint8_t>{});
    const auto clear = workbookStream("apache__poi/45290.xls");
    EXPECT_EQ(decryptWorkbookStream(clear, "x"), clear);
}

// Cutting an encrypted stream anywhere decrypts what is left exactly as the
// whole stream would have been, and never reads past the cut.
TEST(DecryptWorkbook, TruncatedStreamsDecryptAsFarAsTheyGo) {
    for (const char* file :
         {"apache__poi/password.xls", "SheetJS__test_files/root__password_2002_40_xor.xls",
          "SheetJS__test_files/password_2002_128_enhanced.xls"}) {
        const auto stream = workbookStream(file);
        const auto whole = decryptWorkbookStream(stream, "password");
        ASSERT_TRUE(whole);
        const auto location = findFilePass(stream);
        const std::size_t afterFilePass = location->bodyOffset + location->bodySize;
        for (std::size_t cut = afterFilePass; cut < stream.size(); cut += 61) {
            const auto part = decryptWorkbookStream(std::span(stream).first(cut), "password");
            ASSERT_TRUE(part) << file << " " << cut;
            ASSERT_EQ(part->size(), cut);
            EXPECT_TRUE(std::equal(part->begin(), part->end(), whole->begin()))
                << file << " " << cut;
        }
        // Without a whole FILEPASS header nothing says the stream is
        // encrypted; the caller meets the cut record as it would in any file.
        for (std::size_t cut = location->recordOffset; cut < location->bodyOffset; ++cut) {
            const auto head = std::span(stream).first(cut);
            EXPECT_EQ(decryptWorkbookStream(head, "password"),
                      std::vector<std::uint8_t>(head.begin(), head.end()));
        }
        for (std::size_t cut = location->bodyOffset; cut < afterFilePass; ++cut) {
            EXPECT_THROW(decryptWorkbookStream(std::span(stream).first(cut), "password"),
                         CryptoError)
                << file << " " << cut;
        }
    }
}

TEST(DecryptWorkbook, HostileStreamsGiveAClearOutcome) {
    // FILEPASS naming an unknown method, or too short for any.
    std::vector<std::uint8_t> stream = {0x09, 0x08, 0x04, 0x00, 0x00, 0x06, 0x05,
                                        0x00, 0x2F, 0x00, 0x02, 0x00, 0x07, 0x00};
    EXPECT_THROW(decryptWorkbookStream(stream, "x"), CryptoError);
    stream[10] = 0;
    stream.resize(12);
    EXPECT_THROW(decryptWorkbookStream(stream, "x"), CryptoError);

    // Random bytes behind a real FILEPASS: every record walk ends at the
    // stream's end, whatever the sizes say.
    const auto real = workbookStream("apache__poi/password.xls");
    const auto location = findFilePass(real);
    std::mt19937 random(1234);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::uint8_t> noisy(
            real.begin(),
            real.begin() + static_cast<std::ptrdiff_t>(location->bodyOffset + location->bodySize));
        const std::size_t extra = random() % 5000;
        for (std::size_t k = 0; k < extra; ++k)
            noisy.push_back(static_cast<std::uint8_t>(random()));
        const auto out = decryptWorkbookStream(noisy, "password");
        ASSERT_TRUE(out);
        EXPECT_EQ(out->size(), noisy.size());
    }
}

}  // namespace
}  // namespace xls::crypto
