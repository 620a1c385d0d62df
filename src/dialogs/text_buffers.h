#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mokuji::dialogs {

// The platform's buffers count UTF-16 units, so cuts and sizes are made in
// them; the text itself stays UTF-8. A cut through a surrogate pair leaves
// U+FFFD in its place, keeping the unit count.

// The first `units` UTF-16 units of text.
std::string cutToUnits(std::string_view text, std::size_t units);

// text followed by NULs up to `size` units, its last unit a NUL, the text
// cut where it does not fit.
std::string nulPaddedBuffer(std::string_view text, std::size_t size);

// What a confirmed file dialog chose, read from its buffer and the offset
// of the chosen name: one path, up to its NUL, or, when the unit before the
// offset is a NUL, the folder and the names of a multiple selection up to
// their closing pair of NULs. False when the buffer holds no such end.
bool chosenFileText(std::string_view buffer, std::int32_t fileOffset, std::string& out);

// Writes text and one NUL over the start of a buffer, as the platform's
// dialogs answer, leaving the rest as it was; false, the buffer untouched,
// when they do not fit.
bool writeOverStart(std::string& buffer, std::string_view text);

// Replaces the buffer by text followed by NULs up to the buffer's size, so
// nothing of what it held before is left; false, the buffer untouched, when
// text and one NUL do not fit.
bool writeWhole(std::string& buffer, std::string_view text);

// Leading and trailing blanks (spaces only) removed.
std::string trimBlanks(std::string_view text);

}  // namespace mokuji::dialogs
