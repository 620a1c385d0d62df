#pragma once

#include <string>
#include <string_view>

namespace mokuji::os {

// File names are bytes. On Linux they need not be UTF-8: a zip made on
// Windows unpacks Japanese names in Shift_JIS. These routines show such a
// name to a person and still reach the file by its bytes.

// The name as text: unchanged when it is UTF-8; decoded as Shift_JIS
// (code page 932) when it is that; else its UTF-8 parts kept and every
// other byte written as \xNN.
std::string ShownName(std::string_view name);

// Text for a terminal: what is not UTF-8 is taken for a Shift_JIS name
// where it decodes as one, else escaped as \xNN; control characters (but
// newline and tab) are written as \xNN or \uNNNN, so that an escape
// sequence in a file name cannot clear the screen or write the clipboard.
// So are the controls of writing direction (U+202E and its kin) and the
// line and paragraph separators, which would show a name reversed or
// broken where nothing in the name shows why.
std::string TerminalText(std::string_view text);

// A name put into a message of several lines: its own line breaks written
// \x0A and \x0D, so that it cannot add a line that looks like one of the
// program's (the summary, another workbook).
std::string LineBreaksEscaped(std::string_view name);

// TerminalText for what must stay one line (a caption, the progress).
std::string TerminalLineText(std::string_view text);

}  // namespace mokuji::os
