#pragma once

#include <optional>
#include <string>

namespace mokuji::window {

// What a terminal user asks every program: how to use it, which version.
enum class InformationRequest { Usage, Version };

// The answer, lines ending in CR LF like every text of the program.
std::string InformationAnswer(InformationRequest request, const std::string& programName);

}  // namespace mokuji::window
