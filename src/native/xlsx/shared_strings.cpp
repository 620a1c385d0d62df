#include "native/xlsx/shared_strings.h"

#include "native/xlsx/rich_text.h"
#include "native/xlsx/xlsx_error.h"

namespace xls::xlsx {

namespace {

// The part itself may be large (markup, phonetic guides); the text kept
// from it is bounded on its own.
constexpr std::uint64_t kMaxPartBytes = 1ull << 30;
constexpr std::size_t kMaxTextBytes = 256u << 20;

class StringsHandler : public xml::Handler {
  public:
    void startElement(const xml::StartTag& tag) override {
        if (tag.local == "si") {
            inItem_ = true;
        } else if (inItem_) {
            item_.start(tag.local);
        }
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "si") {
            strings.push_back(item_.take());
            bytes_ += strings.back().size() + sizeof(std::string);
            if (bytes_ > kMaxTextBytes)
                throw XlsxRefused("shared strings hold more than " +
                                  std::to_string(kMaxTextBytes >> 20) + " MiB of text");
            inItem_ = false;
        } else if (inItem_) {
            item_.end(local);
        }
    }
    void text(std::string_view t) override {
        if (inItem_) item_.text(t);
    }

    std::vector<std::string> strings;

  private:
    RichText item_;
    bool inItem_ = false;
    std::size_t bytes_ = 0;
};

}  // namespace

std::vector<std::string> readSharedStrings(const Package& package, const std::string& part) {
    StringsHandler handler;
    try {
        PartParser parser(package, part, kMaxPartBytes, handler);
        parser.run();
    } catch (...) {
        rethrowForPart(part);
    }
    return std::move(handler.strings);
}

}  // namespace xls::xlsx
