#include "native/xlsx/rich_text.h"

#include "native/xlsx/cell_text.h"

namespace xls::xlsx {

void RichText::start(std::string_view local) {
    if (local == "rPh") ++phonetic_;
    if (local == "t" && phonetic_ == 0) inText_ = true;
}

void RichText::end(std::string_view local) {
    if (local == "rPh") --phonetic_;
    if (local == "t") inText_ = false;
}

void RichText::text(std::string_view t) {
    if (inText_) raw_ += t;
}

std::string RichText::take() {
    std::string out = unescapedText(raw_);
    raw_.clear();
    phonetic_ = 0;
    inText_ = false;
    return out;
}

}  // namespace xls::xlsx
