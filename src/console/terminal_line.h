#pragma once

#include <string>
#include <string_view>

namespace mokuji::console {

// The columns of the terminal standard error writes to, or 0 when it does
// not write to one (a file, a pipe, no console).
int StandardErrorColumns();

// How many terminal columns the UTF-8 text takes: East Asian wide and
// full-width characters take two, half-width katakana one.
int DisplayColumns(std::string_view text);

// The text cut to at most the given columns, whole characters only, with
// "..." at the end when something was cut.
std::string FitToColumns(std::string_view text, int columns);

}  // namespace mokuji::console
