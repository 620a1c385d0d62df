#pragma once

#include <stdexcept>

namespace xls::crypto {

// A FILEPASS record this layer cannot make sense of: truncated, with sizes
// that contradict each other, or naming a method it does not implement.
// A wrong password is not an error; callers get an empty result instead.
class CryptoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace xls::crypto
