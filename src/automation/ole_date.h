#pragma once

#include <optional>

namespace automation {

// A calendar date and time of day, to the second.
struct CivilDateTime {
    int year = 1899;
    unsigned month = 12;
    unsigned day = 30;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
};

// Splits an OLE automation date (days since 1899-12-30; for dates before it
// the fraction still counts forward from midnight of the day) into its parts,
// rounded to the second. Dates outside the years 100 to 9999 give nothing.
std::optional<CivilDateTime> civilFromOleDate(double serial);

// The inverse, for whole seconds.
double oleDateFromCivil(const CivilDateTime& t);

}  // namespace automation
