#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "native/biff/biff_error.h"
#include "native/biff/globals.h"
#include "native/biff/record_ids.h"
#include "native/biff/stream_builder.h"
#include "native/biff/test_compound_file.h"
#include "native/biff/worksheet.h"

namespace xls::biff {
namespace {

using testing::corpusWorkbook;
using ::testing::HasSubstr;
using testing::StreamBuilder;
using Bytes = std::vector<std::uint8_t>;
using B = StreamBuilder;

std::string globalsError(const Bytes& stream) {
    try {
        parseGlobals(stream);
    } catch (const BiffError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Encrypted, EachKindIsNamed) {
    struct Case {
        const char* file;
        EncryptedError::Kind kind;
        const char* text;
    };
    const Case cases[] = {
        {"SheetJS__test_files/root__password_2002_40_xor.xls", EncryptedError::Kind::Xor, "XOR"},
        {"PHPOffice__PhpSpreadsheet/pwtest.xls", EncryptedError::Kind::Rc4, "RC4)"},
        {"SheetJS__test_files/password_2002_128_enhanced.xls", EncryptedError::Kind::CryptoApi,
         "RC4 CryptoAPI"},
    };
    for (const Case& c : cases) {
        try {
            parseGlobals(corpusWorkbook(c.file));
            ADD_FAILURE() << c.file << " read without error";
        } catch (const EncryptedError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.file;
            EXPECT_THAT(e.what(), HasSubstr(c.text)) << c.file;
            EXPECT_THAT(e.what(), HasSubstr("FILEPASS record at offset"));
        }
    }
}

TEST(OlderVersions, AreRefusedWithTheirVersion) {
    // BIFF5/7 reads; a BOF version between it and BIFF8 names no layout.
    EXPECT_EQ(parseGlobals(corpusWorkbook("SheetJS__test_files/biff5__defined_names_simple.xls"))
                  .biffVersion,
              5);
    StreamBuilder odd;
    odd.bof(0x0005, 0x0580).eof();
    try {
        parseGlobals(odd.bytes());
        FAIL() << "BOF version 0x0580 read without error";
    } catch (const UnsupportedVersionError& e) {
        EXPECT_EQ(e.bofVersion(), 0x0580);
        EXPECT_THAT(e.what(), HasSubstr("unknown BIFF version"));
    }
    // A BIFF2 BOF: id 0x0009, version and type.
    StreamBuilder biff2;
    biff2.record(rec::Bof2, {0x00, 0x00, 0x10, 0x00}).eof();
    try {
        parseGlobals(biff2.bytes());
        FAIL() << "BIFF2 read without error";
    } catch (const UnsupportedVersionError& e) {
        EXPECT_EQ(e.biffVersion(), 2);
    }
}

TEST(DamagedFiles, TruncatedRecordInACorpusFile) {
    EXPECT_THAT(globalsError(corpusWorkbook("apache__poi/61300.xls")),
                HasSubstr("XF record at offset 1666: size 38932 runs past the end"));
}

TEST(DamagedFiles, HostileGlobals) {
    const Bytes bof = [] {
        StreamBuilder b;
        b.bof(0x0005);
        return b.bytes();
    }();
    auto globals = [&](std::uint16_t id, const Bytes& data, bool withEof = true) {
        StreamBuilder b;
        b.bof(0x0005).record(id, data);
        if (withEof) b.eof();
        return b.bytes();
    };

    EXPECT_THAT(globalsError({}), HasSubstr("empty"));
    EXPECT_THAT(globalsError({0x42, 0x00, 0x02, 0x00, 0xE4, 0x04}),
                HasSubstr("does not start with a BOF"));
    EXPECT_THAT(globalsError(bof), HasSubstr("without an EOF record"));

    // NAME whose cch (200) is longer than the record.
    const Bytes name = B::cat({B::le16(0),
                               {0x00, 200},
                               B::le16(0),
                               B::le16(0),
                               B::le16(0),
                               Bytes(4, 0),
                               B::compressed("abc")});
    EXPECT_THAT(globalsError(globals(rec::Name, name)), HasSubstr("NAME record at offset 20"));

    // NAME whose cce claims more formula bytes than there are.
    const Bytes cce = B::cat({B::le16(0),
                              {0x00, 1},
                              B::le16(60000),
                              B::le16(0),
                              B::le16(0),
                              Bytes(4, 0),
                              B::compressed("a"),
                              {0x1D, 0x01}});
    EXPECT_THAT(globalsError(globals(rec::Name, cce)), HasSubstr("NAME record"));

    // EXTERNSHEET claiming 65535 entries in 6 bytes.
    const Bytes xti = B::cat({B::le16(0xFFFF), B::le16(0), B::le16(0), B::le16(0)});
    EXPECT_THAT(globalsError(globals(rec::ExternSheet, xti)), HasSubstr("65535 XTI entries"));

    // SUPBOOK claiming 65535 sheet names.
    const Bytes sup = B::cat({B::le16(0xFFFF), B::le16(1), B::compressed("x")});
    EXPECT_THAT(globalsError(globals(rec::SupBook, sup)), HasSubstr("SUPBOOK record"));

    // FILEPASS of an unknown method still says the workbook is encrypted.
    EXPECT_THROW(parseGlobals(globals(rec::FilePass, B::le16(7))), EncryptedError);

    // A BOF inside the globals, and a FONT cut short.
    EXPECT_THAT(globalsError(globals(rec::Bof, Bytes(16, 0))), HasSubstr("substream starts"));
    EXPECT_THAT(globalsError(globals(rec::Font, Bytes(5, 0))), HasSubstr("FONT record"));
}

TEST(DamagedFiles, HugeStringCountsAllocateNothing) {
    // Four billion strings declared, one present: keeps the one.
    StreamBuilder b;
    b.bof(0x0005)
        .record(rec::Sst,
                B::cat({B::le32(0xFFFFFFFF), B::le32(0xFFFFFFFF), B::le16(1), B::compressed("z")}))
        .eof();
    const Globals g = parseGlobals(b.bytes());
    ASSERT_EQ(g.sst.size(), 1u);
    EXPECT_EQ(g.sst[0], "z");
    ASSERT_EQ(g.warnings.size(), 1u);

    // A string claiming 65535 characters and a phonetic block of 2 GiB.
    StreamBuilder c;
    c.bof(0x0005)
        .record(rec::Sst, B::cat({B::le32(2),
                                  B::le32(2),
                                  B::le16(1),
                                  {0x04},
                                  B::le32(0x7FFFFFFF),
                                  {'q'},
                                  B::le16(0xFFFF),
                                  {0x01, 'x'}}))
        .eof();
    const Globals h = parseGlobals(c.bytes());
    ASSERT_EQ(h.sst.size(), 1u);
    EXPECT_EQ(h.sst[0], "q");
    ASSERT_EQ(h.warnings.size(), 1u);
    EXPECT_THAT(h.warnings[0], HasSubstr("string 0 runs past the record"));
}

Bytes withSheet(std::uint32_t bofOffset, const Bytes& tail) {
    StreamBuilder b;
    b.bof(0x0005)
        .record(rec::BoundSheet,
                B::cat({B::le32(bofOffset), {0x00, 0x00, 0x04}, B::compressed("Data")}))
        .eof();
    Bytes s = b.bytes();
    s.insert(s.end(), tail.begin(), tail.end());
    return s;
}

std::string sheetError(const Bytes& stream) {
    try {
        const Globals g = parseGlobals(stream);
        parseWorksheet(stream, g, 0);
    } catch (const BiffError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(DamagedFiles, HostileSheets) {
    const std::uint32_t sheetAt = 20 + 16 + 4;
    EXPECT_THAT(sheetError(withSheet(99999, {})),
                HasSubstr("sheet \"Data\": BOF offset 99999 lies past the end"));
    // Pointing at the globals EOF rather than a BOF.
    EXPECT_THAT(sheetError(withSheet(sheetAt - 4, {})), HasSubstr("no BOF record at offset 36"));
    EXPECT_THAT(sheetError(withSheet(sheetAt, {0x09, 0x08})), HasSubstr("cut off"));

    auto sheet = [&](std::uint16_t id, const Bytes& data) {
        StreamBuilder s;
        s.bof(0x0010).record(id, data).eof();
        return withSheet(sheetAt, s.bytes());
    };
    EXPECT_THAT(sheetError(sheet(rec::Number, Bytes(10, 0))),
                HasSubstr("NUMBER record at offset 60: size 10, expected 14"));
    // MULRK over columns 2..9 with one entry.
    EXPECT_THAT(sheetError(sheet(rec::MulRk, B::cat({B::le16(0), B::le16(2), B::le16(15),
                                                     B::le32(2), B::le16(9)}))),
                HasSubstr("columns 2 to 9 do not match its 1 entries"));
    EXPECT_THAT(sheetError(sheet(rec::Label, B::cat({Bytes(6, 0), B::le16(50), {0x01, 'a'}}))),
                HasSubstr("LABEL record"));

    StreamBuilder nested;
    nested.bof(0x0010).bof(0x0020).eof();
    EXPECT_THAT(sheetError(withSheet(sheetAt, nested.bytes())), HasSubstr("without an EOF"));
}

// Every prefix of a real stream, and many single-byte changes to it, must
// read or fail with BiffError: never crash, hang or throw anything else.
void cutAndFlip(const Bytes& original) {
    auto readAll = [](const Bytes& s) {
        try {
            const Globals g = parseGlobals(s);
            for (std::size_t i = 0; i < g.sheets.size(); ++i) parseWorksheet(s, g, i);
        } catch (const BiffError&) {
        }
    };
    for (std::size_t cut = 0; cut < original.size(); cut += 7)
        readAll(Bytes(original.begin(), original.begin() + cut));

    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        Bytes s = original;
        for (int k = 0; k < 4; ++k) s[next() % s.size()] = static_cast<std::uint8_t>(next());
        readAll(s);
    }
}

TEST(DamagedFiles, CutAndFlippedRealStreams) {
    for (const char* file :
         {"python-excel__xlrd/namesdemo.xls", "SheetJS__test_files/named_ranges_2011.xls"}) {
        cutAndFlip(corpusWorkbook(file));
    }
}

}  // namespace
}  // namespace xls::biff
