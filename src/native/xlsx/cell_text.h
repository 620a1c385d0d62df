#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xls::xlsx {

// Text as these parts escape what XML cannot hold: "_x000D_" is a carriage
// return, "_x005F_" a literal underscore. Anything else stays as written.
std::string unescapedText(std::string_view text);

// The code of an error value written as text ("#N/A" gives 0x2A); #N/A for
// texts the binary format has no code for.
std::uint8_t errorCode(std::string_view text);

// A number as written in a cell or a property ("1.5", "-2E-3"), read the
// same whatever the locale; nullopt for anything else.
std::optional<double> numberOf(std::string_view text);

// Days and fractions since 1899-12-30 of an ISO 8601 date, time or both
// ("2024-04-01", "2024-04-01T09:30:00", "09:30:00"); a zone suffix is
// ignored, as cell dates carry none of meaning.
std::optional<double> oleDateOfIso(std::string_view text);

// The serial a cell's ISO 8601 date, time or both stands for in the
// workbook's date system, as a typed date would be stored (the 1900
// system's days before March 1900 are one off the OLE count); nullopt for a
// day the system has no serial for.
std::optional<double> cellSerialOfIso(std::string_view text, bool date1904);

}  // namespace xls::xlsx
