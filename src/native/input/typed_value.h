#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xls::input {

// What a cell entry typed as text (Range.FormulaR1C1 set to a string) becomes, read as the
// application reads keyboard input in the Japanese locale: dates in y/m/d order, '.' decimal,
// ',' thousands, '¥' or '\' for the yen.
struct TypedValue {
    enum class Kind { Text, Number, Boolean, Formula, Error };
    Kind kind = Kind::Text;
    double number = 0;
    bool boolean = false;
    // Text: the cell's text. Formula: the formula as entered, starting with '='. Error: the
    // literal in its canonical spelling ("#N/A").
    std::string text;
    // The number format the entry gives the cell; "" keeps the cell's own. Codes are written as
    // the Japanese built-in formats spell them, so a writer can map them back to built-in ids.
    std::string numberFormat;
    // BIFF error code (0x07 for #DIV/0!, 0x2A for #N/A) when kind is Error.
    std::int32_t errorCode = 0;
};

// Interprets an entry; a month and day without a year ("3/14") fall in currentYear.
// date1904 picks the date system the serials are counted in.
TypedValue parseTypedEntry(std::string_view text, bool date1904, int currentYear);

// As above, with the current year from the local clock.
TypedValue parseTypedEntry(std::string_view text, bool date1904 = false);

}  // namespace xls::input
