#pragma once

#include <stdexcept>
#include <string>

namespace mokuji::dialogs {

// The faults cCommonDlg raises to its caller (those its file and printer
// dialogs do not swallow): a number that does not fit, a text that is not a
// number, a device resolution of 0, a dialog asked for without an owner, or
// a buffer that cannot be cut as asked.
class DialogError : public std::runtime_error {
  public:
    enum class Kind { Overflow, TypeMismatch, DivisionByZero, NoOwner, InvalidArgument };

    DialogError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

}  // namespace mokuji::dialogs
