#pragma once

#include <stdexcept>

namespace xls::propset {

// A property set stream that cannot be read: wrong byte order mark (as in
// encrypted streams), tables or values that pass the end of the stream.
class PropsetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace xls::propset
