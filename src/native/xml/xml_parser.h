#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "native/xml/xml_error.h"

namespace xls::xml {

struct Attribute {
    std::string_view ns;  // empty for an attribute without a prefix
    std::string_view local;
    std::string_view value;
};

// An element's start as a handler sees it. The views stay valid only for
// the duration of the call.
struct StartTag {
    std::string_view ns;
    std::string_view local;
    std::span<const Attribute> attributes;

    // The attribute of that local name without a namespace, as most
    // attributes of these parts are.
    std::optional<std::string_view> attribute(std::string_view localName) const;
    std::optional<std::string_view> attribute(std::string_view nsName,
                                              std::string_view localName) const;
};

// Receives the document's events in order. Character data may come in
// several pieces between two tags; whitespace is delivered like any text.
class Handler {
  public:
    virtual ~Handler() = default;
    virtual void startElement(const StartTag& tag) = 0;
    virtual void endElement(std::string_view ns, std::string_view local) = 0;
    virtual void text(std::string_view) {}

    // Whether the handler has all it wants: the parse ends after this
    // event, as if the document ended there.
    bool done() const { return done_; }

  protected:
    void finish() { done_ = true; }

  private:
    bool done_ = false;
};

// Fills out with up to its size in bytes of the document; 0 at its end.
using Source = std::function<std::size_t(std::span<std::uint8_t> out)>;

struct Limits {
    // Parts of a workbook nest a dozen deep; a hostile one could nest deep
    // enough to exhaust a recursive consumer.
    std::size_t maxDepth = 256;
};

// Bytes up to this size are parsed whole into a tree and walked, which is
// many times faster than streaming; the tree costs up to 16 times the
// bytes (a hostile document of empty elements). Larger documents are
// streamed. A caller holding a part of at most this size does best to read
// it whole.
constexpr std::size_t kWholeDocumentBytes = 1u << 20;

class ParserBackend;

// A namespace-aware parser. Over a source it streams with the platform's
// XML library, piece by piece, so memory stays bounded however long the
// document; over bytes in memory it parses them whole when they are small
// enough (pugixml) and streams them otherwise. A handler that has seen
// enough pauses it, and run() takes up again where it stopped. Both ways
// deliver the same events for a well-formed document, and refuse alike a
// document type declaration (no part of a workbook has one, and refusing
// it shuts out entity expansion), nesting past the limit, unbound
// prefixes, repeated attributes and malformed UTF-8. Parsed whole, a few
// other faults pass: an unescaped '&' or an unknown entity stays as
// written.
class Parser {
  public:
    Parser(Source source, Handler& handler, Limits limits = {});
    // Over bytes that stay where they are until the parser is gone.
    Parser(std::span<const std::uint8_t> bytes, Handler& handler, Limits limits = {});
    // The same over bytes it may rewrite where they lie, sparing a copy of
    // them: parsed whole, their text is decoded in place. restore must put
    // them back as they were, the same size where they are; it is called
    // before a document the whole parse refuses is streamed, so that the
    // events before the fault and its place come out as they would.
    Parser(std::span<std::uint8_t> bytes, std::function<void()> restore, Handler& handler,
           Limits limits = {});
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Delivers events until the handler calls pause() or the document ends;
    // true when it ended. Throws XmlError for a document that is not
    // well-formed or is refused, and lets the source's exceptions through.
    bool run();
    // From inside a handler's call: run() returns after this event.
    void pause();

  private:
    std::unique_ptr<ParserBackend> backend_;
};

// The whole of bytes, for parts that are read entirely (or until the
// handler is done), parsed where they lie.
void parse(std::span<const std::uint8_t> bytes, Handler& handler, Limits limits = {});
// The same over bytes it may rewrite (see Parser).
void parseInPlace(std::span<std::uint8_t> bytes, std::function<void()> restore, Handler& handler,
                  Limits limits = {});

}  // namespace xls::xml
