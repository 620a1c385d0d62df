#pragma once

#include "native/biff/globals.h"
#include "native/biff/record_body.h"

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
