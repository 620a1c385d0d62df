#pragma once

#include <stdexcept>

namespace xls::zip {

// Damage to the container: no end record, directory outside the file, bad
// local header, bad deflate data, CRC mismatch, more or fewer bytes than
// declared. Messages carry the values found.
class ZipError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A container that is readable but that we will not read: an encrypted
// entry, a compression method other than stored or deflate, an entry larger
// than the caller allows, too many entries. Callers that only care whether
// the bytes came out catch ZipError; those that explain the failure to a
// person tell the two apart.
class ZipRefused : public ZipError {
  public:
    using ZipError::ZipError;
};

}  // namespace xls::zip
