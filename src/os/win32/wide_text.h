#pragma once

#include <string>
#include <string_view>

namespace mokuji::os::win {

// The program keeps text in UTF-8; the wide entry points of the system take
// UTF-16. Invalid sequences become U+FFFD rather than failing a call;
// embedded NULs pass through, as the dialogs' buffers hold them.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The system's own explanation of an error code, without its line break.
std::string SystemMessage(unsigned long code);

}  // namespace mokuji::os::win
