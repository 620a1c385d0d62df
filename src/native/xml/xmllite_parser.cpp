// The parser over XmlLite, the XML reader every Windows system carries:
// nothing to ship, and no hand-written parser.

#include <objbase.h>
#include <windows.h>
#include <xmllite.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "native/text/hex.h"
#include "native/text/unicode.h"
#include "native/xml/parser_backend.h"

namespace xls::xml {

namespace {

constexpr std::string_view kXmlnsNamespaceUtf8 = "http://www.w3.org/2000/xmlns/";

// Feeds the reader from the Source. The reader is not C++: what the source
// throws is kept and thrown again once the reader has given up.
class SourceStream final : public ISequentialStream {
  public:
    explicit SourceStream(Source source) : source_(std::move(source)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(ISequentialStream)) {
            *out = static_cast<ISequentialStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Owned by the parser, which outlives the reader's use of it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Read(void* out, ULONG size, ULONG* read) override {
        if (read) *read = 0;
        if (failure_) return E_FAIL;
        try {
            // Filled as far as the source goes: Wine's reader takes a short
            // read for the end of the input.
            auto* at = static_cast<std::uint8_t*>(out);
            std::size_t n = 0;
            while (n < size) {
                std::size_t got = source_({at + n, size - n});
                if (got == 0) break;
                n += got;
            }
            if (read) *read = static_cast<ULONG>(n);
            return n > 0 ? S_OK : S_FALSE;
        } catch (...) {
            failure_ = std::current_exception();
            return E_FAIL;
        }
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }

    std::exception_ptr failure() const { return failure_; }

  private:
    Source source_;
    std::exception_ptr failure_;
};

std::wstring_view view(const WCHAR* s, UINT n) {
    return {reinterpret_cast<const wchar_t*>(s), n};
}

void appendUtf8(std::string& out, std::wstring_view w) {
    out += text::utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

// The import library is not part of every toolchain; the DLL is part of
// every Windows since XP SP3 (and of Wine).
HRESULT createReader(IXmlReader** reader) {
    using Create = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
    static Create create = [] {
        HMODULE dll = LoadLibraryW(L"xmllite.dll");
        return dll ? reinterpret_cast<Create>(
                         reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReader")))
                   : nullptr;
    }();
    if (!create) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    return create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader), nullptr);
}

std::string hresultText(HRESULT hr) {
    return text::hexNumber(static_cast<std::uint32_t>(hr), 8);
}

class XmlLiteParser final : public ParserBackend {
  public:
    XmlLiteParser(Source s, Handler& h, Limits l) : stream(std::move(s)), handler(h), limits(l) {
        HRESULT hr = createReader(&reader);
        if (FAILED(hr)) throw XmlError("cannot create the XML reader: " + hresultText(hr));
        reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
        // One past ours, so that the depth is refused by us, with our reason.
        reader->SetProperty(XmlReaderProperty_MaxElementDepth, limits.maxDepth + 1);
        hr = reader->SetInput(static_cast<ISequentialStream*>(&stream));
        if (FAILED(hr)) throw XmlError("cannot start the XML reader: " + hresultText(hr));
    }
    ~XmlLiteParser() override {
        if (reader) reader->Release();
    }

    bool run() override;
    void pause() override { pauseAsked = true; }

  private:
    std::string lineNumber() {
        UINT line = 0;
        reader->GetLineNumber(&line);
        return std::to_string(line);
    }

    // Appends what get gives of the node the reader stands on, in UTF-8;
    // returns where names now ends.
    std::size_t append(HRESULT (STDMETHODCALLTYPE IXmlReader::*get)(const WCHAR**, UINT*)) {
        const WCHAR* s = nullptr;
        UINT n = 0;
        (reader->*get)(&s, &n);
        appendUtf8(names, view(s, n));
        return names.size();
    }

    [[noreturn]] void fail(HRESULT hr) {
        if (auto f = stream.failure()) std::rethrow_exception(f);
        if (hr == static_cast<HRESULT>(WC_E_DTDPROHIBITED))
            throw XmlError("has a document type declaration at line " + lineNumber());
        throw XmlError("is not well-formed XML (" + hresultText(hr) + ") at line " + lineNumber());
    }

    [[noreturn]] void failHere(const std::string& what) {
        throw XmlError("is not well-formed XML: " + what + " at line " + lineNumber());
    }

    // A prefix bound to no namespace, which some readers let through.
    void requireNamespace() {
        const WCHAR* s = nullptr;
        UINT n = 0;
        reader->GetQualifiedName(&s, &n);
        std::wstring_view qualified = view(s, n);
        auto colon = qualified.find(L':');
        if (colon == std::wstring_view::npos) return;
        std::wstring_view prefix = qualified.substr(0, colon);
        if (prefix == L"xml" || prefix == L"xmlns") return;
        reader->GetNamespaceUri(&s, &n);
        if (n == 0) failHere("unbound prefix");
    }

    // The element the reader stands on, with its attributes.
    void deliverStart() {
        requireNamespace();
        names.clear();
        const std::size_t nsEnd = append(&IXmlReader::GetNamespaceUri);
        const std::size_t localEnd = append(&IXmlReader::GetLocalName);
        const bool empty = reader->IsEmptyElement();

        // Offsets first: the text grows while the attributes are read.
        struct Span {
            std::size_t ns, local, value, end;
        };
        std::vector<Span> spans;
        for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK;
             hr = reader->MoveToNextAttribute()) {
            const std::size_t start = names.size();
            const std::size_t local = append(&IXmlReader::GetNamespaceUri);
            if (std::string_view(names).substr(start) == kXmlnsNamespaceUtf8) {
                names.resize(start);
                continue;
            }
            requireNamespace();
            const std::size_t value = append(&IXmlReader::GetLocalName);
            spans.push_back({start, local, value, append(&IXmlReader::GetValue)});
        }
        reader->MoveToElement();

        std::string_view all(names);
        attributes.clear();
        for (const auto& sp : spans) {
            Attribute a{all.substr(sp.ns, sp.local - sp.ns),
                        all.substr(sp.local, sp.value - sp.local),
                        all.substr(sp.value, sp.end - sp.value)};
            // Some readers let a repeated attribute through; the standard
            // makes it an error, and a reader that took the first or the
            // last of them would be guessing.
            for (const auto& b : attributes)
                if (b.local == a.local && b.ns == a.ns) failHere("repeats attribute");
            attributes.push_back(a);
        }
        StartTag tag{all.substr(0, nsEnd), all.substr(nsEnd, localEnd - nsEnd), attributes};
        if (++depth > limits.maxDepth)
            throw XmlError("elements nest deeper than " + std::to_string(limits.maxDepth) +
                           " levels at line " + lineNumber());
        handler.startElement(tag);
        if (empty) {
            --depth;
            handler.endElement(tag.ns, tag.local);
        }
    }

    void deliverEnd() {
        names.clear();
        const std::size_t nsEnd = append(&IXmlReader::GetNamespaceUri);
        append(&IXmlReader::GetLocalName);
        --depth;
        std::string_view all(names);
        handler.endElement(all.substr(0, nsEnd), all.substr(nsEnd));
    }

    void deliverText() {
        names.clear();
        append(&IXmlReader::GetValue);
        handler.text(names);
    }

    SourceStream stream;
    Handler& handler;
    Limits limits;
    IXmlReader* reader = nullptr;
    std::string names;
    std::vector<Attribute> attributes;
    std::size_t depth = 0;
    bool sawRoot = false;
    bool ended = false;
    bool pauseAsked = false;
    // Where the last text node began.
    std::optional<std::pair<UINT, UINT>> lastText;
};

bool XmlLiteParser::run() {
    pauseAsked = false;
    while (!ended) {
        XmlNodeType type;
        HRESULT hr = reader->Read(&type);
        if (hr == S_FALSE) {
            if (auto f = stream.failure()) std::rethrow_exception(f);
            if (!sawRoot) throw XmlError("is not well-formed XML: no root element");
            ended = true;
            break;
        }
        if (hr != S_OK) fail(hr);
        switch (type) {
            case XmlNodeType_Element:
                sawRoot = true;
                deliverStart();
                break;
            case XmlNodeType_EndElement:
                deliverEnd();
                break;
            case XmlNodeType_Text:
            case XmlNodeType_CDATA: {
                if (depth == 0) failHere("text outside the root element");
                // Some XmlLite implementations give a document that ends
                // inside text that text again and again: at the same place
                // twice, it is cut short.
                UINT line = 0, column = 0;
                reader->GetLineNumber(&line);
                reader->GetLinePosition(&column);
                if (lastText && lastText->first == line && lastText->second == column)
                    failHere("it ends inside text");
                lastText = std::make_pair(line, column);
                deliverText();
                break;
            }
            case XmlNodeType_Whitespace:
                if (depth > 0) deliverText();
                break;
            case XmlNodeType_DocumentType:
                throw XmlError("has a document type declaration");
            default:
                break;
        }
        if (handler.done()) ended = true;
        if (pauseAsked && !ended) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<ParserBackend> streamingParser(Source source, Handler& handler, Limits limits) {
    return std::make_unique<XmlLiteParser>(std::move(source), handler, limits);
}

}  // namespace xls::xml
