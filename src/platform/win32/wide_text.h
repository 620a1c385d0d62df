#pragma once

#include <string>

namespace mokuji::platform::win32 {

// The program keeps text in UTF-8; the wide entry points of the system take
// UTF-16. Invalid sequences become U+FFFD rather than failing a call.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide, std::size_t length);

// The system's own explanation of an error code, without its line break.
std::string SystemMessage(unsigned long code);

}  // namespace mokuji::platform::win32
