#pragma once

#include <functional>
#include <memory>
#include <span>

#include "native/xml/xml_parser.h"

namespace xls::xml {

// What a Parser drives: run() and pause() as the Parser's own.
class ParserBackend {
  public:
    virtual ~ParserBackend() = default;
    virtual bool run() = 0;
    virtual void pause() = 0;
};

// Over the platform's streaming library (expat, XmlLite).
std::unique_ptr<ParserBackend> streamingParser(Source source, Handler& handler, Limits limits);
// Over bytes parsed whole into a tree (pugixml); they stay where they are
// until the parser is gone. None when they are not well-formed: streamed,
// they still give the events before the fault, and the fault's place.
std::unique_ptr<ParserBackend> documentParser(std::span<const std::uint8_t> bytes, Handler& handler,
                                              Limits limits);
// The same over bytes it parses in place; restore puts them back as they
// were (see Parser), as it does itself before it gives none.
std::unique_ptr<ParserBackend> documentParserInPlace(std::span<std::uint8_t> bytes,
                                                     std::function<void()> restore,
                                                     Handler& handler, Limits limits);

}  // namespace xls::xml
