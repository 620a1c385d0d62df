#pragma once

#include <stdexcept>

namespace xls::cfb {

// Everything wrong with the container itself: bad header, broken chains,
// damaged directory. Messages carry the values found.
class CfbError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace xls::cfb
