#include "native/biff/record_ids.h"

namespace xls::biff {

const char* recordName(std::uint16_t id) {
    switch (id) {
        case rec::Formula:
            return "FORMULA";
        case rec::Eof:
            return "EOF";
        case rec::FilePass:
            return "FILEPASS";
        case rec::Font:
            return "FONT";
        case rec::Continue:
            return "CONTINUE";
        case rec::CodePage:
            return "CODEPAGE";
        case rec::ColInfo:
            return "COLINFO";
        case rec::Name:
            return "NAME";
        case rec::ExternSheet:
            return "EXTERNSHEET";
        case rec::DateMode:
            return "DATEMODE";
        case rec::BoundSheet:
            return "BOUNDSHEET";
        case rec::MulRk:
            return "MULRK";
        case rec::MulBlank:
            return "MULBLANK";
        case rec::RString:
            return "RSTRING";
        case rec::Xf:
            return "XF";
        case rec::Sst:
            return "SST";
        case rec::LabelSst:
            return "LABELSST";
        case rec::SupBook:
            return "SUPBOOK";
        case rec::HLink:
            return "HLINK";
        case rec::Dimensions:
            return "DIMENSIONS";
        case rec::Blank:
            return "BLANK";
        case rec::Number:
            return "NUMBER";
        case rec::Label:
            return "LABEL";
        case rec::BoolErr:
            return "BOOLERR";
        case rec::String:
            return "STRING";
        case rec::Row:
            return "ROW";
        case rec::Rk:
            return "RK";
        case rec::Format:
            return "FORMAT";
        case rec::Bof:
            return "BOF";
        default:
            return "record";
    }
}

}  // namespace xls::biff
