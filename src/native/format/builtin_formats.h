#pragma once

#include <cstdint>
#include <string_view>

namespace xls::format {

// The number format codes a Japanese-locale (ja-JP) installation of the
// application knows by id, so a file may use them without a FORMAT record.
// Ids it does not define give "General", which is what the application
// shows for them.
std::string_view builtinFormatCode(std::uint16_t id);

}  // namespace xls::format
