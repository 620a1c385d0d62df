#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mokuji::app {

// The argument string as one text: the program's arguments joined by one
// blank, as a desktop hands over a command line it has not split.
std::string JoinArguments(int argc, const char* const* argv);

// The argument string of a start on Linux. A launcher hands each file
// dropped on it or opened with it as an argument of its own: when the
// joined arguments name nothing but every one of them names something, the
// last one is taken, as the window takes the last item of a drop. Otherwise
// the arguments are joined, so that a path with blanks typed unquoted stays
// one path.
std::string ArgumentsOfStart(int argc, const char* const* argv);

// What Windows hands a program as its whole command line, less the
// program's name: the name runs to the next double quote when it begins
// with one, else to the first blank or tab; the blanks after it go too.
std::string ArgumentsAfterProgramName(const std::string& commandLine);

// The words of a command line as Windows hands several files over (a drop
// of several on a shortcut, "Send to"): separated by blanks or tabs, a word
// in double quotes keeping its blanks, the quotes dropped.
std::vector<std::string> WordsOf(const std::string& arguments);

// The argument without its quotes: when it begins with a double quote its
// first and last characters are dropped, whatever the last one is. Nothing
// when it is a lone double quote, which has no two characters to lose.
std::optional<std::string> Unquoted(const std::string& argument);

// The path an argument names. On Windows a bare name (no separator
// anywhere) lies in the program's own folder, not the current one, and
// anything else is used as it is. On Linux a relative path is taken from the
// current folder, as every command there takes it ("." being that folder).
std::string ResolvedArgument(const std::string& argument, const std::string& programFolder,
                             const std::string& currentFolder);

// The working path for a path that exists: a folder ends in the separator so
// that it is its own folder part; a file keeps its path.
std::string WorkingPathFor(const std::string& path, bool isFolder);

}  // namespace mokuji::app
