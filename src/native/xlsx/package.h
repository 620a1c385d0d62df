#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native/xlsx/element_tree.h"
#include "native/xml/xml_parser.h"
#include "native/zip/zip_archive.h"

namespace xls::xlsx {

struct Relationship {
    std::string id;
    std::string type;    // the full type URI
    std::string target;  // the part it points at, resolved; the URI as given when external
    bool external = false;

    // Whether the type URI names this kind: "officeDocument", "worksheet"...
    // Transitional and Strict packages spell the URIs differently but, for
    // all but the extended properties, end them alike.
    bool is(std::string_view kind) const;
};

// The parts of a zip-based document, by name.
class Package {
  public:
    // Throws XlsxError when the bytes are no zip archive or a damaged one.
    explicit Package(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

    bool has(std::string_view part) const;
    // The size the part declares, before it is read.
    std::uint64_t size(std::string_view part) const { return entry(part).uncompressedSize; }
    // The whole part, no larger than maxBytes. Throws XlsxError when it is
    // missing, damaged or larger.
    std::vector<std::uint8_t> read(std::string_view part, std::uint64_t maxBytes) const;
    Element readTree(std::string_view part, std::string_view lastNeeded = {}) const;
    // The part piece by piece. Throws XlsxError when it is missing.
    zip::EntryStream stream(std::string_view part, std::uint64_t maxBytes) const;
    // The relationships of a part ("" for the package's own); none when it
    // has no relationship part.
    std::vector<Relationship> relationships(std::string_view part) const;

  private:
    const zip::Entry& entry(std::string_view part) const;

    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    zip::Archive archive_;
};

// An XML parser over one part, no larger than maxBytes: read whole and
// parsed in memory when it is no larger than wholeUpTo, as nearly every
// part is, streamed when it is larger. Throws XlsxError when the part is
// missing; run() throws the zip and XML errors as they come (see
// rethrowForPart).
class PartParser {
  public:
    PartParser(const Package& package, std::string_view part, std::uint64_t maxBytes,
               xml::Handler& handler, std::uint64_t wholeUpTo = xml::kWholeDocumentBytes);
    bool run() { return parser_->run(); }
    void pause() { parser_->pause(); }

  private:
    std::vector<std::uint8_t> bytes_;
    std::optional<zip::EntryStream> stream_;
    std::optional<xml::Parser> parser_;
};

// Inside a catch: throws the XlsxError that names the part for the zip or
// XML error being handled; an XlsxError or anything else passes unchanged.
[[noreturn]] void rethrowForPart(std::string_view part);

// The part a relationship's target names, from the part that holds the
// relationship: relative to its folder, or absolute from the package root
// when it starts with '/'. "%20" and the like are decoded.
std::string resolvePartName(std::string_view sourcePart, std::string_view target);

}  // namespace xls::xlsx
