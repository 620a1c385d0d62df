#pragma once

#include <cstdint>
#include <vector>

#include "native/biff/stream_builder.h"

namespace xls::biff::testing {

// The texts of a small BIFF5 workbook, already in its code page.
struct Biff5Texts {
    std::uint16_t codepage = 1252;
    std::vector<std::uint8_t> firstSheet, secondSheet;
    std::vector<std::uint8_t> titleName;  // workbook-level, on the first sheet's B2
    std::vector<std::uint8_t> dateName;   // local to the second sheet, on its C3
    std::vector<std::uint8_t> label;      // LABEL at the first sheet's B2
    std::vector<std::uint8_t> result;     // a FORMULA's string result at B3, in STRING
};

// A workbook stream as Excel 5.0/95 lays it out, for the code pages no
// corpus file has: CODEPAGE, a byte-string date FORMAT, an XF using it, two
// BOUNDSHEETs, three NAMEs with BIFF5 3-D tokens (a cell, a sheet-level
// cell, an area), and per sheet DIMENSIONS and cells. The second sheet's C3
// holds 2024-03-15 (serial 45366) under the date format.
inline std::vector<std::uint8_t> biff5WorkbookStream(const Biff5Texts& t) {
    using B = StreamBuilder;
    auto shortBytes = [](const std::vector<std::uint8_t>& s) {
        return B::cat({{static_cast<std::uint8_t>(s.size())}, s});
    };
    auto bof = [](std::uint16_t type) {
        return B::cat({B::le16(0x0500), B::le16(type), B::le16(0x0DBB), B::le16(0x07CC)});
    };
    // ixals -1 (this workbook), 8 unused bytes, first and last sheet.
    auto sheets3d = [](std::uint16_t sheet) {
        return B::cat(
            {B::le16(0xFFFF), std::vector<std::uint8_t>(8, 0), B::le16(sheet), B::le16(sheet)});
    };
    auto name = [&](std::uint16_t itab, const std::vector<std::uint8_t>& text,
                    const std::vector<std::uint8_t>& rgce) {
        return B::cat({B::le16(0),
                       {0x00, static_cast<std::uint8_t>(text.size())},
                       B::le16(static_cast<std::uint16_t>(rgce.size())),
                       B::le16(0),
                       B::le16(itab),
                       {0, 0, 0, 0},
                       text,
                       rgce});
    };
    auto globals = [&](std::uint32_t sheet1, std::uint32_t sheet2) {
        B g;
        g.record(0x0809, bof(0x0005));
        g.record(0x0042, B::le16(t.codepage));
        g.record(0x0022, B::le16(0));
        g.record(0x0031, B::cat({B::le16(200),
                                 B::le16(0),
                                 B::le16(0x7FFF),
                                 B::le16(400),
                                 B::le16(0),
                                 {0, 0, 0, 0},
                                 shortBytes({'A', 'r', 'i', 'a', 'l'})}));
        const std::vector<std::uint8_t> code{'y', 'y', 'y', 'y', '/', 'm', 'm', '/', 'd', 'd'};
        g.record(0x041E, B::cat({B::le16(0xA4), shortBytes(code)}));
        g.record(0x00E0, B::cat({B::le16(0), B::le16(0), B::le16(0x0001),
                                 std::vector<std::uint8_t>(10, 0)}));
        g.record(0x00E0, B::cat({B::le16(0), B::le16(0xA4), B::le16(0x0001),
                                 std::vector<std::uint8_t>(10, 0)}));
        g.record(0x0085, B::cat({B::le32(sheet1), {0, 0}, shortBytes(t.firstSheet)}));
        g.record(0x0085, B::cat({B::le32(sheet2), {0, 0}, shortBytes(t.secondSheet)}));
        // tRef3d $B$2, tRef3d $C$3, tArea3d $A$1:$B$2 (rows then 8-bit columns).
        g.record(0x0018, name(0, t.titleName, B::cat({{0x3A}, sheets3d(0), B::le16(1), {1}})));
        g.record(0x0018, name(2, t.dateName, B::cat({{0x3A}, sheets3d(1), B::le16(2), {2}})));
        g.record(0x0018, name(0, {'A', 'r', 'e', 'a'},
                              B::cat({{0x3B}, sheets3d(0), B::le16(0), B::le16(1), {0, 1}})));
        g.eof();
        return g.bytes();
    };
    std::vector<std::uint8_t> stream = globals(0, 0);
    const auto sheet1At = static_cast<std::uint32_t>(stream.size());

    B s1;
    s1.record(0x0809, bof(0x0010));
    s1.record(0x0200, B::cat({B::le16(1), B::le16(3), B::le16(1), B::le16(2), B::le16(0)}));
    s1.record(0x0204, B::cat({B::le16(1), B::le16(1), B::le16(0),
                              B::le16(static_cast<std::uint16_t>(t.label.size())), t.label}));
    // A cached string result: 0x00 in the first byte, 0xFFFF at the end.
    s1.record(0x0006, B::cat({B::le16(2),
                              B::le16(1),
                              B::le16(0),
                              {0, 0, 0, 0, 0, 0, 0xFF, 0xFF},
                              B::le16(0),
                              B::le32(0),
                              B::le16(3),
                              {0x17, 0x01, 'x'}}));
    s1.record(0x0207, B::cat({B::le16(static_cast<std::uint16_t>(t.result.size())), t.result}));
    s1.eof();
    const auto sheet2At = static_cast<std::uint32_t>(sheet1At + s1.size());

    B s2;
    s2.record(0x0809, bof(0x0010));
    s2.record(0x0200, B::cat({B::le16(2), B::le16(3), B::le16(2), B::le16(3), B::le16(0)}));
    // 45366 as an RK integer: shifted left by two, bit 1 set.
    s2.record(0x027E, B::cat({B::le16(2), B::le16(2), B::le16(1), B::le32((45366u << 2) | 2u)}));
    s2.eof();

    stream = globals(sheet1At, sheet2At);
    stream.insert(stream.end(), s1.bytes().begin(), s1.bytes().end());
    stream.insert(stream.end(), s2.bytes().begin(), s2.bytes().end());
    return stream;
}

// The texts in code page 932: sheets 表紙 and 明細, names 件名 and 日付,
// 点検報告 and 鈴木. Several characters have 0x5C ('\') as their second byte.
inline Biff5Texts japaneseTexts() {
    Biff5Texts t;
    t.codepage = 932;
    t.firstSheet = {0x95, 0x5C, 0x8E, 0x86};
    t.secondSheet = {0x96, 0xBE, 0x8D, 0xD7};
    t.titleName = {0x8C, 0x8F, 0x96, 0xBC};
    t.dateName = {0x93, 0xFA, 0x95, 0x74};
    t.label = {0x93, 0x5F, 0x8C, 0x9F, 0x95, 0xF1, 0x8D, 0x90};
    t.result = {0x97, 0xE9, 0x96, 0xD8};
    return t;
}

// The texts in code page 1252: Übersicht, Prüfer, Café crème.
inline Biff5Texts westernTexts() {
    Biff5Texts t;
    t.codepage = 1252;
    t.firstSheet = {0xDC, 'b', 'e', 'r', 's', 'i', 'c', 'h', 't'};
    t.secondSheet = {'D', 'a', 't', 'e', 'n'};
    t.titleName = {'T', 'i', 't', 'e', 'l'};
    t.dateName = {'D', 'a', 't', 'u', 'm'};
    t.label = {'C', 'a', 'f', 0xE9, ' ', 'c', 'r', 0xE8, 'm', 'e'};
    t.result = {'P', 'r', 0xFC, 'f', 'e', 'r'};
    return t;
}

}  // namespace xls::biff::testing
