#pragma once

#include <guiddef.h>

namespace stand_in {

// The class the stand-in server registers; the tests point the
// application's program identifier at it.
inline constexpr GUID kClsid = {
    0x6d1b2f43, 0x8c2e, 0x4a57, {0x9e, 0x31, 0x5b, 0x0c, 0x7a, 0x44, 0xd2, 0x19}};
inline constexpr wchar_t kClsidText[] = L"{6D1B2F43-8C2E-4A57-9E31-5B0C7A44D219}";

}  // namespace stand_in
