#include "native/xml/xml_parser.h"

#include <algorithm>

#include "native/xml/parser_backend.h"

namespace xls::xml {

Parser::Parser(Source source, Handler& handler, Limits limits)
    : backend_(streamingParser(std::move(source), handler, limits)) {}

namespace {

std::unique_ptr<ParserBackend> streamingOver(std::span<const std::uint8_t> bytes, Handler& handler,
                                             Limits limits) {
    return streamingParser(
        [bytes](std::span<std::uint8_t> out) mutable {
            std::size_t n = std::min(out.size(), bytes.size());
            std::copy_n(bytes.begin(), n, out.begin());
            bytes = bytes.subspan(n);
            return n;
        },
        handler, limits);
}

}  // namespace

Parser::Parser(std::span<const std::uint8_t> bytes, Handler& handler, Limits limits) {
    if (bytes.size() <= kWholeDocumentBytes) {
        backend_ = documentParser(bytes, handler, limits);
        if (backend_) return;
    }
    backend_ = streamingOver(bytes, handler, limits);
}

Parser::Parser(std::span<std::uint8_t> bytes, std::function<void()> restore, Handler& handler,
               Limits limits) {
    if (bytes.size() <= kWholeDocumentBytes) {
        backend_ = documentParserInPlace(bytes, std::move(restore), handler, limits);
        if (backend_) return;
    }
    backend_ = streamingOver(bytes, handler, limits);
}

Parser::~Parser() = default;

bool Parser::run() {
    return backend_->run();
}

void Parser::pause() {
    backend_->pause();
}

void parse(std::span<const std::uint8_t> bytes, Handler& handler, Limits limits) {
    Parser parser(bytes, handler, limits);
    // A handler that pauses a whole-document parse only wants to stop early.
    parser.run();
}

void parseInPlace(std::span<std::uint8_t> bytes, std::function<void()> restore, Handler& handler,
                  Limits limits) {
    Parser parser(bytes, std::move(restore), handler, limits);
    parser.run();
}

}  // namespace xls::xml
