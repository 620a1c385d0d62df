#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// What each fuzz target does with one input. The fuzzers and the replay test
// call these same functions, so an input that once crashed a fuzzer replays
// through exactly the code that crashed. Each returns normally when the
// layer accepts the input or rejects it with its own error type; any other
// exception, and any sanitizer report, is a fault of the engine.
namespace mokuji::fuzz {

// The bytes as a compound file: every entry listed, every stream read.
void compoundFile(std::span<const std::uint8_t> bytes);

// The bytes as a .xls file, opened as the program opens source workbooks
// (read-only) and list files (for editing): names, the cells they refer
// to, document properties and every cell of every worksheet.
void workbookFile(std::span<const std::uint8_t> bytes);

// The bytes as a zip archive: the first entries found by their names and
// streamed, each up to a mebibyte.
void zipArchive(std::span<const std::uint8_t> bytes);

// The bytes as the parts of a zip-based workbook, NUL between them: the
// workbook part, its first sheet, shared strings, styles and core
// properties, packaged (stored, checksums right) and opened as the program
// opens source workbooks. Fuzzing the parts rather than the archive gets
// past the checksums to the XML readers. Then opened for editing, changed
// as a list is, saved into its own package and read again.
void workbookParts(std::span<const std::uint8_t> bytes);

// The bytes as a Workbook stream, through the globals and worksheet parsers.
void workbookStream(std::span<const std::uint8_t> bytes);

// The bytes as a SummaryInformation or DocumentSummaryInformation stream.
void propertySet(std::span<const std::uint8_t> bytes);

// The bytes as text typed into a cell (UTF-8, possibly malformed).
void typedEntry(std::span<const std::uint8_t> bytes);

// The bytes as reference text (A1, R1C1, sheet prefixes, defined names) and
// as the tokens of a name formula.
void reference(std::span<const std::uint8_t> bytes);

// The streams of a seed workbook that seed the stream targets; empty when
// the file is no readable compound file.
struct SeedStreams {
    std::vector<std::uint8_t> workbook;
    std::vector<std::vector<std::uint8_t>> propertySets;
};
SeedStreams seedStreams(std::span<const std::uint8_t> file);

// The parts of a seed package as workbookParts takes them; empty when the
// file is no readable zip archive.
std::vector<std::uint8_t> seedParts(std::span<const std::uint8_t> file);

}  // namespace mokuji::fuzz
