#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace xls::biff {

// Anything wrong with the records of a workbook stream. Messages name the
// record and its offset so a damaged file can be looked at with a hex dump.
class BiffError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The globals hold a FILEPASS record: everything after it is enciphered, so
// nothing past that point can be read without the password.
class EncryptedError : public BiffError {
  public:
    enum class Kind { Xor, Rc4, CryptoApi, Unknown };

    EncryptedError(Kind kind, const std::string& message) : BiffError(message), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

// A stream of a version this layer does not read (BIFF2 to BIFF4, or an
// unknown BOF version), or a BIFF5/7 one where only BIFF8 will do: the
// editable model, which writes BIFF8 records beside the ones it keeps.
class UnsupportedVersionError : public BiffError {
  public:
    UnsupportedVersionError(int biffVersion, std::uint16_t bofVersion, const std::string& message)
        : BiffError(message), biffVersion_(biffVersion), bofVersion_(bofVersion) {}
    // 2, 3, 4 or 5 (5 stands for BIFF5 and BIFF7, which share a layout).
    int biffVersion() const { return biffVersion_; }
    std::uint16_t bofVersion() const { return bofVersion_; }

  private:
    int biffVersion_;
    std::uint16_t bofVersion_;
};

}  // namespace xls::biff
