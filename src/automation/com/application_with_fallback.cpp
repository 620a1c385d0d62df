#include "automation/com/application_with_fallback.h"

#include "automation/com/com_application.h"
#include "automation/fallback_application.h"
#include "automation/native/native_application.h"

namespace mokuji::com {

std::unique_ptr<automation::Application> CreateApplicationWithFallback() {
    return automation::MakeFallbackApplication(xls::native::createApplication(),
                                               CreateComApplication);
}

}  // namespace mokuji::com
