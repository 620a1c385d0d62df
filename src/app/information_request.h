#pragma once

#include <optional>
#include <string>

namespace mokuji::app {

// What a terminal user asks every program: how to use it, which version.
enum class InformationRequest { Usage, Version };

// The request when the whole argument string is exactly "--help" or
// "--version"; anything else is a path, so that a file of that name stays
// reachable as "./--help".
std::optional<InformationRequest> InformationRequestOf(const std::string& arguments);

// The answer, lines ending in CR LF like every text of the program.
std::string InformationAnswer(InformationRequest request, const std::string& programName);

}  // namespace mokuji::app
