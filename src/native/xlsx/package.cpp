#include "native/xlsx/package.h"

#include <algorithm>

#include "native/text/percent_escapes.h"
#include "native/xlsx/xlsx_error.h"
#include "native/xml/xml_error.h"

namespace xls::xlsx {

namespace {

// Workbook, relationship, style and property parts are small; a part that
// claims more is refused before it is inflated.
constexpr std::uint64_t kMaxTreePartBytes = 64ull << 20;

// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml"; "_rels/.rels" for "".
std::string relationshipPart(std::string_view part) {
    auto slash = part.rfind('/');
    std::string_view folder = slash == std::string_view::npos ? "" : part.substr(0, slash + 1);
    std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

}  // namespace

bool Relationship::is(std::string_view kind) const {
    return type.size() > kind.size() &&
           type.compare(type.size() - kind.size(), kind.size(), kind) == 0 &&
           type[type.size() - kind.size() - 1] == '/';
}

Package::Package(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
    : bytes_(std::move(bytes)), archive_([this] {
          try {
              return zip::Archive::open(*bytes_);
          } catch (const zip::ZipRefused& e) {
              throw XlsxRefused(std::string("zip container is refused: ") + e.what());
          } catch (const zip::ZipError& e) {
              throw XlsxError(std::string("zip container is damaged: ") + e.what());
          }
      }()) {}

bool Package::has(std::string_view part) const {
    return archive_.find(part) != nullptr;
}

const zip::Entry& Package::entry(std::string_view part) const {
    const zip::Entry* e = archive_.find(part);
    if (!e) throw XlsxError("part " + std::string(part) + " is missing");
    return *e;
}

std::vector<std::uint8_t> Package::read(std::string_view part, std::uint64_t maxBytes) const {
    const zip::Entry& e = entry(part);
    try {
        return archive_.read(e, maxBytes);
    } catch (...) {
        rethrowForPart(part);
    }
}

namespace {

// Puts a part's bytes back as they were read, in the same place: a parse in
// place rewrote them and the parser holds on to them.
std::function<void()> rereadInto(const Package& package, std::string part, std::uint64_t maxBytes,
                                 std::vector<std::uint8_t>& bytes) {
    return [&package, part = std::move(part), maxBytes, &bytes] {
        const std::vector<std::uint8_t> again = package.read(part, maxBytes);
        std::copy_n(again.begin(), std::min(again.size(), bytes.size()), bytes.begin());
    };
}

}  // namespace

Element Package::readTree(std::string_view part, std::string_view lastNeeded) const {
    return readElementTree(
        read(part, kMaxTreePartBytes), [&] { return read(part, kMaxTreePartBytes); }, part,
        lastNeeded);
}

zip::EntryStream Package::stream(std::string_view part, std::uint64_t maxBytes) const {
    const zip::Entry& e = entry(part);
    try {
        return archive_.stream(e, maxBytes);
    } catch (...) {
        rethrowForPart(part);
    }
}

std::vector<Relationship> Package::relationships(std::string_view part) const {
    std::string rels = relationshipPart(part);
    std::vector<Relationship> out;
    if (!has(rels)) return out;
    Element root = readTree(rels);
    for (const Element* r : root.childrenNamed("Relationship")) {
        Relationship rel;
        rel.id = r->attribute("Id").value_or("");
        rel.type = r->attribute("Type").value_or("");
        rel.external = r->attribute("TargetMode").value_or("") == "External";
        std::string_view target = r->attribute("Target").value_or("");
        rel.target = rel.external ? std::string(target) : resolvePartName(part, target);
        out.push_back(std::move(rel));
    }
    return out;
}

PartParser::PartParser(const Package& package, std::string_view part, std::uint64_t maxBytes,
                       xml::Handler& handler, std::uint64_t wholeUpTo) {
    if (package.size(part) <=
        std::min({maxBytes, wholeUpTo, std::uint64_t{xml::kWholeDocumentBytes}})) {
        bytes_ = package.read(part, maxBytes);
        parser_.emplace(std::span<std::uint8_t>(bytes_),
                        rereadInto(package, std::string(part), maxBytes, bytes_), handler);
    } else {
        stream_.emplace(package.stream(part, maxBytes));
        parser_.emplace(
            [this](std::span<std::uint8_t> out) { return stream_->read(out.data(), out.size()); },
            handler);
    }
}

void rethrowForPart(std::string_view part) {
    try {
        throw;
    } catch (const zip::ZipRefused& e) {
        throw XlsxRefused("part " + std::string(part) + ": " + e.what());
    } catch (const zip::ZipError& e) {
        throw XlsxError("part " + std::string(part) + ": " + e.what());
    } catch (const xml::XmlError& e) {
        throw XlsxError("part " + std::string(part) + " " + e.what());
    }
}

std::string resolvePartName(std::string_view sourcePart, std::string_view target) {
    std::string decoded = text::percentDecoded(target);
    std::vector<std::string> segments;
    std::string_view t = decoded;
    if (!t.empty() && t.front() == '/') {
        t.remove_prefix(1);
    } else {
        std::string_view folder = sourcePart;
        auto slash = folder.rfind('/');
        folder = slash == std::string_view::npos ? std::string_view{} : folder.substr(0, slash);
        while (!folder.empty()) {
            auto cut = folder.find('/');
            segments.emplace_back(folder.substr(0, cut));
            folder = cut == std::string_view::npos ? std::string_view{} : folder.substr(cut + 1);
        }
    }
    while (!t.empty()) {
        auto cut = t.find('/');
        std::string_view segment = t.substr(0, cut);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.emplace_back(segment);
        }
        t = cut == std::string_view::npos ? std::string_view{} : t.substr(cut + 1);
    }
    std::string out;
    for (const auto& s : segments) {
        if (!out.empty()) out += '/';
        out += s;
    }
    return out;
}

}  // namespace xls::xlsx
