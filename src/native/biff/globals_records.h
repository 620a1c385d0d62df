#pragma once

#include <cstdint>
#include <string>

#include "native/biff/continue_reader.h"
#include "native/biff/globals.h"
#include "native/biff/record_body.h"
#include "native/io/byte_reader.h"

// Handlers of the globals records, one per record, shared by the table in
// globals_parser.cpp. Each reads its record into Globals; a read past the
// record's end throws io::ReadPastEnd, which the parser wraps.
namespace xls::biff::detail {

void parse_filepass(Globals& g, const RecordBody& r);
void parse_codepage(Globals& g, const RecordBody& r);
void parse_datemode(Globals& g, const RecordBody& r);
void parse_boundsheet(Globals& g, const RecordBody& r);

void parse_font(Globals& g, const RecordBody& r);
void parse_format(Globals& g, const RecordBody& r);
void parse_xf(Globals& g, const RecordBody& r);

void parse_sst(Globals& g, const RecordBody& r);

void parse_name(Globals& g, const RecordBody& r);
void parse_supbook(Globals& g, const RecordBody& r);
void parse_externsheet(Globals& g, const RecordBody& r);

// What FONT records of both versions hold before the face name, whose
// string form differs.
Font readFontFields(io::ByteReader& in);

// The fields NAME records of both versions begin with, up to the name's
// text, whose string form differs.
struct NameHead {
    DefinedName name;
    std::uint8_t cch = 0;
    std::uint16_t cce = 0;
};
NameHead readNameHead(ContinueReader& in);
// A built-in name by its number, or "Builtin_0xNN" for one not known.
std::string builtinName(std::uint16_t number);

// BIFF5/BIFF7 layouts.
void parse_boundsheet5(Globals& g, const RecordBody& r);
void parse_font5(Globals& g, const RecordBody& r);
void parse_format5(Globals& g, const RecordBody& r);
void parse_name5(Globals& g, const RecordBody& r);

// Turns the tokens of every name read from a BIFF5 stream into BIFF8
// tokens, filling supbooks and externSheet with the XTI entries their 3-D
// references need (BIFF5 tokens carry the sheet indexes themselves).
void rewriteBiff5Names(Globals& g);

}  // namespace xls::biff::detail
