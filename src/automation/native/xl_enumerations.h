#pragma once

#include <cstdint>

namespace xls::native {

// Translations between the object model's constants and what a BIFF8 cell
// format stores. Each throws AutomationError (1004) for a value the member
// does not accept, as the application refuses it.

std::uint8_t horizontalAlignmentCode(std::int32_t xlAlign);
std::uint8_t verticalAlignmentCode(std::int32_t xlAlign);
// Orientation: degrees -90 to 90, or xlVertical, xlUpward, xlDownward,
// xlHorizontal; gives the XF's rotation.
std::uint8_t rotationCode(std::int32_t orientation);
// ColorIndex 1 to 56 is palette entry 8 to 63; automatic is the system
// foreground (64) for lines and fills alike.
std::uint8_t paletteIndex(std::int32_t colorIndex);
// Interior.Pattern: xlSolid and the pattern numbers, xlNone.
std::uint8_t fillPatternCode(std::int32_t pattern);

// The XF line style for a border's LineStyle and Weight together, and back.
std::uint8_t borderStyleCode(std::int32_t lineStyle, std::int32_t weight);
std::int32_t lineStyleOf(std::uint8_t code);
std::int32_t weightOf(std::uint8_t code);

// ColumnWidth in characters of the standard font to COLINFO units (1/256 of
// a character, padding included), for the default font's digit width.
std::uint16_t columnWidthUnits(double characters);
// RowHeight in points to twips.
std::uint16_t rowHeightTwips(double points);

}  // namespace xls::native
