#pragma once

#include <memory>

#include "automation/object_model.h"

namespace xls::native {

// A new instance of the object model over our own .xls engine. Starting one
// costs nothing and cannot fail; it holds only the workbooks it opens.
std::unique_ptr<automation::Application> createApplication();

}  // namespace xls::native
