// The parser over expat, the Linux build's XML library.

#include <expat.h>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "native/xml/parser_backend.h"

namespace xls::xml {

namespace {

// Expat joins a namespace and a local name with this; no name or
// namespace of a well-formed document holds a line feed.
constexpr char kNamespaceSeparator = '\n';
// Pieces of a streamed part. The parts of a workbook are mostly a few
// kilobytes; a larger buffer only costs the allocator.
constexpr std::size_t kChunk = 16 * 1024;

void splitName(const XML_Char* name, std::string_view& ns, std::string_view& local) {
    std::string_view whole(name);
    auto cut = whole.find(kNamespaceSeparator);
    if (cut == std::string_view::npos) {
        ns = {};
        local = whole;
    } else {
        ns = whole.substr(0, cut);
        local = whole.substr(cut + 1);
    }
}

class ExpatParser final : public ParserBackend {
  public:
    ExpatParser(Source s, Handler& h, Limits l)
        : source(std::move(s)),
          handler(h),
          limits(l),
          parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator)) {
        if (!parser) throw std::bad_alloc();
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &ExpatParser::onStart, &ExpatParser::onEnd);
        XML_SetCharacterDataHandler(parser, &ExpatParser::onText);
        XML_SetStartDoctypeDeclHandler(parser, &ExpatParser::onDoctype);
    }
    ~ExpatParser() override { XML_ParserFree(parser); }

    bool run() override;
    void pause() override;

  private:
    // Expat is C: an exception must not unwind through it. Callbacks keep
    // what they throw, stop the parser, and run() throws it afterwards.
    template <typename Body>
    static void guarded(void* data, Body&& body) {
        auto* self = static_cast<ExpatParser*>(data);
        if (self->failure || self->finished) return;
        try {
            body(*self);
        } catch (...) {
            self->failure = std::current_exception();
            XML_StopParser(self->parser, XML_FALSE);
            return;
        }
        if (self->handler.done()) {
            self->finished = true;
            XML_StopParser(self->parser, XML_FALSE);
        }
    }

    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** atts) {
        guarded(data, [&](ExpatParser& self) {
            if (++self.depth > self.limits.maxDepth)
                throw XmlError("elements nest deeper than " + std::to_string(self.limits.maxDepth) +
                               " levels at line " +
                               std::to_string(XML_GetCurrentLineNumber(self.parser)));
            StartTag tag;
            splitName(name, tag.ns, tag.local);
            self.attributes.clear();
            for (const XML_Char** a = atts; *a; a += 2) {
                Attribute attribute;
                splitName(a[0], attribute.ns, attribute.local);
                attribute.value = a[1];
                self.attributes.push_back(attribute);
            }
            tag.attributes = self.attributes;
            self.handler.startElement(tag);
        });
    }

    static void XMLCALL onEnd(void* data, const XML_Char* name) {
        guarded(data, [&](ExpatParser& self) {
            --self.depth;
            std::string_view ns, local;
            splitName(name, ns, local);
            self.handler.endElement(ns, local);
        });
    }

    static void XMLCALL onText(void* data, const XML_Char* s, int len) {
        guarded(data, [&](ExpatParser& self) {
            self.handler.text(std::string_view(s, static_cast<std::size_t>(len)));
        });
    }

    static void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int) {
        guarded(data, [&](ExpatParser& self) -> void {
            throw XmlError("has a document type declaration at line " +
                           std::to_string(XML_GetCurrentLineNumber(self.parser)));
        });
    }

    // After a parse call: throws what went wrong, true when suspended.
    bool settle(XML_Status status) {
        if (failure) std::rethrow_exception(failure);
        if (finished) {
            ended = true;
            return false;
        }
        if (status == XML_STATUS_ERROR)
            throw XmlError(std::string("is not well-formed XML: ") +
                           XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
                           std::to_string(XML_GetCurrentLineNumber(parser)));
        return status == XML_STATUS_SUSPENDED;
    }

    Source source;
    Handler& handler;
    Limits limits;
    XML_Parser parser;
    std::vector<Attribute> attributes;
    std::size_t depth = 0;
    std::exception_ptr failure;
    std::vector<char> buffer;
    bool finished = false;
    bool suspended = false;
    bool finalFed = false;
    bool ended = false;
    bool pauseAsked = false;
};

void ExpatParser::pause() {
    if (pauseAsked) return;
    pauseAsked = true;
    XML_StopParser(parser, XML_TRUE);
}

bool ExpatParser::run() {
    while (!ended) {
        pauseAsked = false;
        XML_Status status;
        if (suspended) {
            suspended = false;
            status = XML_ResumeParser(parser);
        } else if (finalFed) {
            ended = true;
            break;
        } else {
            // Kept until the parser is gone: a suspended parse resumes in it.
            if (buffer.empty()) buffer.resize(kChunk);
            std::size_t n = source({reinterpret_cast<std::uint8_t*>(buffer.data()), kChunk});
            finalFed = n == 0;
            status = XML_Parse(parser, buffer.data(), static_cast<int>(n), finalFed);
        }
        if (settle(status)) {
            suspended = true;
            return false;
        }
    }
    return true;
}

}  // namespace

std::unique_ptr<ParserBackend> streamingParser(Source source, Handler& handler, Limits limits) {
    return std::make_unique<ExpatParser>(std::move(source), handler, limits);
}

}  // namespace xls::xml
