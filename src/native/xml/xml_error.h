#pragma once

#include <stdexcept>

namespace xls::xml {

// A part that is not well-formed XML, or one refused before it could cost
// too much: a document type declaration (the door to entity expansion),
// elements nested deeper than the limit. Messages say what was found and
// where.
class XmlError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace xls::xml
