#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "window/gathering_settings.h"
#include "window/information_request.h"
#include "window/rows_request.h"

namespace mokuji::window {

// What a start's command line asks for, options taken off wherever they
// stand before "--": -h/--help and -V/--version (which answer whatever else
// is given), --extensions LIST or --extensions=LIST (once), -r/--recursive
// and --no-recursive (the last one given counts), --include GLOB and
// --exclude GLOB (or =GLOB, as often as wanted), --list xls|xlsx (or
// =FORMAT; the last one given counts), --verbose, --csv FILE or
// --jsonl FILE (or =FILE; one of them, once, and then a path is needed) and
// --bom (with --csv only).
struct StartOptions {
    std::optional<InformationRequest> request;
    GatheringOptions gathering;
    // The rows for other programs instead of the list.
    std::optional<RowsRequest> rows;
    // Captions written to a file or a pipe as well, for a log.
    bool verbose = false;
    // The path the run is for, as Form_Load takes it: on Linux the one
    // argument chosen (see ParseArguments); on Windows the rest of the line
    // as it stands, quotes and blanks included. Empty when none is given.
    std::string arguments;
    // Why the command line cannot be used (an option unknown, repeated or
    // without its value), in the user's words; empty when it can.
    std::string usageError;
};

// A start on Linux, whose arguments arrive split: each is taken as it is,
// never joined. Of several paths (files dropped together on a launcher) the
// last decides when every one of them exists, as the window takes the last
// item of a drop; otherwise the first that does not is the one to name.
StartOptions ParseArguments(const std::vector<std::string>& args,
                            const std::function<bool(const std::string&)>& exists);

// A start on Windows, whose command line is one string (less the program's
// name): words outside double quotes are options as on Linux, and what is
// left between them is the path text, unsplit.
StartOptions ParseCommandLine(const std::string& arguments);

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

}  // namespace mokuji::window
