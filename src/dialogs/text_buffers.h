#pragma once

#include <cstddef>
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

// The text up to, not including, its first pair of adjacent NULs; false
// when the buffer holds no such pair.
bool cutAtDoubleNul(std::string_view buffer, std::string& out);

// Writes text and one NUL over the start of a buffer, as the platform's
// dialogs answer, leaving the rest as it was; false, the buffer untouched,
// when they do not fit.
bool writeOverStart(std::string& buffer, std::string_view text);

// Leading and trailing blanks (spaces only) removed.
std::string trimBlanks(std::string_view text);

}  // namespace mokuji::dialogs
