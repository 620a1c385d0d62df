#pragma once

#include <exception>
#include <functional>
#include <string>

#include "view/run_view.h"

namespace mokuji::window {

// The exit status of a program that a failure nothing else caught ended.
inline constexpr int kUntrappedFailureStatus = 70;  // an internal error, as sysexits names it

// What the user is told of such a failure: its error number where it has
// one, and its description.
std::string UntrappedFailureText(const std::exception& failure);

// Runs a command of the window or of the unattended run. A failure that
// escapes it cannot be left to cross the window system's own frames, nor
// the run to go on in an unknown state: it is shown in a message box, the
// window is given back, and false is returned so that the program ends.
bool RunTrapped(const std::function<void()>& command, view::RunView& view);

}  // namespace mokuji::window
