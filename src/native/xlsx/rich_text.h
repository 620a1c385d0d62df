#pragma once

#include <string>
#include <string_view>

#include "native/xml/xml_parser.h"

namespace xls::xlsx {

// The text of a string item (<si> of the shared strings, <is> of a cell):
// its <t>, or the <t> of each run, without the phonetic guide (<rPh>) that
// Japanese text carries for sorting.
class RichText {
  public:
    // Fed every event from the item's start tag to its end tag.
    void start(std::string_view local);
    void end(std::string_view local);
    void text(std::string_view t);
    // The item's text, escapes decoded; starts a new item.
    std::string take();

  private:
    std::string raw_;
    int phonetic_ = 0;
    bool inText_ = false;
};

}  // namespace xls::xlsx
