#pragma once

#include <stdexcept>

namespace xls::xlsx {

// A zip-based workbook that cannot be read: a part missing or not
// well-formed, a sheet larger than is read, a package that is another
// kind of document. Messages name the part and what was found.
class XlsxError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Readable, but refused before it costs too much or needs what is not
// read: an encrypted or unknown-method part, a part or sheet larger than
// the limits.
class XlsxRefused : public XlsxError {
  public:
    using XlsxError::XlsxError;
};

}  // namespace xls::xlsx
