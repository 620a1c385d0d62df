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

}  // namespace xls::biff::detail
