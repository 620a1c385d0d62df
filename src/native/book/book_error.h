#pragma once

#include <stdexcept>

namespace xls::book {

// A change the workbook cannot take: an invalid or duplicate sheet name, a
// cell outside the 65536 x 256 grid, a style table at its limit, deleting
// the last sheet, a record that would not fit the format. The model is left
// as it was before the call.
class BookError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace xls::book
