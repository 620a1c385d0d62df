#include "platform/win32/automation/application_with_fallback.h"

#include "automation/fallback_application.h"
#include "native/automation/native_application.h"
#include "platform/win32/automation/com_application.h"

namespace mokuji::platform::win32 {

std::unique_ptr<automation::Application> CreateApplicationWithFallback() {
    return automation::MakeFallbackApplication(xls::native::createApplication(),
                                               CreateComApplication);
}

}  // namespace mokuji::platform::win32
