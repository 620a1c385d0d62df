#include <array>

#include "native/biff/biff_error.h"
#include "native/biff/globals.h"
#include "native/biff/globals_records.h"
#include "native/biff/record_ids.h"
#include "native/biff/strings.h"
#include "native/io/byte_reader.h"
#include "native/text/hex.h"

namespace xls::biff {
namespace detail {

namespace {}  // namespace

// FILEPASS: the rest of the stream is enciphered; say with what.
void parse_filepass(Globals&, const RecordBody& r) {
    io::ByteReader in(r.data);
    const std::uint16_t type = in.u16();
    EncryptedError::Kind kind = EncryptedError::Kind::Unknown;
    const char* what = "an unknown method";
    if (type == 0) {
        kind = EncryptedError::Kind::Xor;
        what = "XOR obfuscation";
    } else if (type == 1 && in.remaining() >= 2) {
        const std::uint16_t major = in.u16();
        if (major == 1) {
            kind = EncryptedError::Kind::Rc4;
            what = "RC4";
        } else if (major >= 2 && major <= 4) {
            kind = EncryptedError::Kind::CryptoApi;
            what = "RC4 CryptoAPI";
        }
    }
    throw EncryptedError(
        kind, "workbook is password-protected (" + recordLabel(r.id, r.offset) + ": " + what + ")");
}

// CODEPAGE: the code page of byte strings outside the BIFF8 unicode forms.
void parse_codepage(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    g.codepage = in.u16();
}

// DATEMODE: serial dates count from 1904-01-01 rather than 1900-01-00.
void parse_datemode(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    g.date1904 = in.u16() != 0;
}

// BOUNDSHEET8: name, kind, visibility and stream position of one sheet.
void parse_boundsheet(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    SheetEntry s;
    s.bofOffset = in.u32();
    s.visibility = static_cast<Visibility>(in.u8() & 0x03);
    s.kind = static_cast<SheetKind>(in.u8());
    s.name = readShortUnicodeString(in);
    g.sheets.push_back(std::move(s));
}

}  // namespace detail

namespace {

using detail::Handler;

constexpr std::array<Handler<Globals>, 11> kHandlers{{
    {rec::ExternSheet, true, detail::parse_externsheet},
    {rec::Name, true, detail::parse_name},
    {rec::DateMode, false, detail::parse_datemode},
    {rec::FilePass, false, detail::parse_filepass},
    {rec::Font, false, detail::parse_font},
    {rec::CodePage, false, detail::parse_codepage},
    {rec::BoundSheet, false, detail::parse_boundsheet},
    {rec::Xf, false, detail::parse_xf},
    {rec::Sst, true, detail::parse_sst},
    {rec::SupBook, true, detail::parse_supbook},
    {rec::Format, false, detail::parse_format},
}};
static_assert(detail::sortedById(kHandlers));

// BIFF5/BIFF7: byte strings in the code page, no string table and no
// SUPBOOK, and an EXTERNSHEET that 3-D references in name formulas need not
// consult (they carry their sheet indexes), so it is left unread.
constexpr std::array<Handler<Globals>, 8> kBiff5Handlers{{
    {rec::Name, true, detail::parse_name5},
    {rec::DateMode, false, detail::parse_datemode},
    {rec::FilePass, false, detail::parse_filepass},
    {rec::Font, false, detail::parse_font5},
    {rec::CodePage, false, detail::parse_codepage},
    {rec::BoundSheet, false, detail::parse_boundsheet5},
    {rec::Xf, false, detail::parse_xf},
    {rec::Format, false, detail::parse_format5},
}};
static_assert(detail::sortedById(kBiff5Handlers));

// BOF.vers of BIFF5 and BIFF7 streams, which share their layout.
constexpr std::uint16_t kBiff5Version = 0x0500;

// Byte strings can come before the CODEPAGE record only in a damaged file,
// but the code page is cheap to find first, so no order is relied on.
std::uint16_t codepageOf(std::span<const std::uint8_t> stream) {
    RecordReader reader(stream);
    Record r;
    std::uint16_t codepage = 1252;
    try {
        while (reader.next(r) && r.id != rec::Eof)
            if (r.id == rec::CodePage && r.data.size() >= 2) codepage = io::le16(r.data.data());
    } catch (const BiffError&) {
        // The walk that reads the records reports the damage with its place.
    }
    return codepage;
}

// Checks that the stream opens with the BOF of workbook globals of a version
// this reader knows, and gives that version: 8, or 5 for BIFF5/7.
int checkGlobalsBof(const Record& bof) {
    int biff = 0;
    switch (bof.id) {
        case rec::Bof2:
            biff = 2;
            break;
        case rec::Bof3:
            biff = 3;
            break;
        case rec::Bof4:
            biff = 4;
            break;
        case rec::Bof:
            break;
        default:
            throw BiffError("workbook stream does not start with a BOF record (" +
                            recordLabel(bof.id, bof.offset) + ")");
    }
    io::ByteReader in(bof.data);
    if (in.remaining() < 4) {
        throw BiffError(recordLabel(bof.id, bof.offset) + ": " + std::to_string(bof.data.size()) +
                        " bytes, too short for a version and type");
    }
    const std::uint16_t version = in.u16();
    const std::uint16_t type = in.u16();
    if (biff != 0) {
        throw UnsupportedVersionError(biff, version,
                                      "BIFF" + std::to_string(biff) + " workbook (BOF record id " +
                                          text::hexNumber(bof.id, 4) +
                                          "): only BIFF5/7 and BIFF8 are supported");
    }
    if (version != kBiff8Version && version != kBiff5Version) {
        throw UnsupportedVersionError(0, version,
                                      "unknown BIFF version (BOF version " +
                                          text::hexNumber(version, 4) +
                                          "): only BIFF5/7 and BIFF8 are supported");
    }
    if (type != substream::Globals) {
        throw BiffError(recordLabel(bof.id, bof.offset) + ": substream type " +
                        text::hexNumber(type, 4) +
                        " where the workbook globals (0x0005) should be");
    }
    return version == kBiff5Version ? 5 : 8;
}

}  // namespace

Globals parseGlobals(std::span<const std::uint8_t> workbookStream, bool decrypted) {
    Globals g;
    RecordReader reader(workbookStream);
    Record r;
    if (!reader.next(r)) throw BiffError("workbook stream is empty");
    g.biffVersion = checkGlobalsBof(r);
    const bool biff5 = g.biffVersion == 5;
    if (biff5) g.codepage = codepageOf(workbookStream);
    // The globals are a small share of a stream and records take at least
    // four bytes, so this stays bounded by the input.
    g.records.reserve(std::min<std::size_t>(workbookStream.size() / 16, 8192));
    g.records.push_back(r.ref());

    std::vector<std::span<const std::uint8_t>> parts;
    for (;;) {
        if (!reader.next(r)) {
            throw BiffError("workbook globals end at offset " + std::to_string(reader.position()) +
                            " without an EOF record");
        }
        g.records.push_back(r.ref());
        if (r.id == rec::Eof) break;
        if (r.id == rec::Bof) {
            throw BiffError(recordLabel(r.id, r.offset) +
                            ": a substream starts before the workbook globals end");
        }
        if (r.id == rec::FilePass && decrypted) {
            // The caller has already deciphered the stream: the record only
            // tells that the file on disk is enciphered.
            g.decryptedFromFile = true;
            continue;
        }
        const auto* h = biff5 ? detail::findHandler(kBiff5Handlers, r.id)
                              : detail::findHandler(kHandlers, r.id);
        if (h == nullptr) continue;
        parts.clear();
        parts.push_back(r.data);
        if (h->mergesContinue) reader.takeContinues(parts, g.records);
        detail::RecordBody body{r.id, r.offset, r.data, parts};
        try {
            h->parse(g, body);
        } catch (const io::ReadPastEnd& e) {
            throw BiffError(recordLabel(r.id, r.offset) + ": " + e.what());
        }
    }
    if (biff5) detail::rewriteBiff5Names(g);
    return g;
}

}  // namespace xls::biff
