#pragma once

#include <string>
#include <string_view>

namespace mokuji::platform {

// File names are bytes. On Linux they need not be UTF-8: a zip made on
// Windows unpacks Japanese names in Shift_JIS. These routines show such a
// name to a person and still reach the file by its bytes.

// The name as text: unchanged when it is UTF-8; decoded as Shift_JIS
// (code page 932) when it is that; else its UTF-8 parts kept and every
// other byte written as \xNN.
std::string ShownName(std::string_view name);

// Whether the name is UTF-8 text, as names made on Linux and by zip
// programs of today are; a zip made on Windows unpacks Shift_JIS bytes.
bool IsUtf8(std::string_view name);

// Text for a terminal: what is not UTF-8 is taken for a Shift_JIS name
// where it decodes as one, else escaped as \xNN; control characters (but
// newline and tab) are written as \xNN or \uNNNN, so that an escape
// sequence in a file name cannot clear the screen or write the clipboard.
std::string TerminalText(std::string_view text);

}  // namespace mokuji::platform
