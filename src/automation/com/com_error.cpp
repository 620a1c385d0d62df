#include "automation/com/com_error.h"

#include <winerror.h>

#include "native/text/hex.h"
#include "os/win32/wide_text.h"

namespace mokuji::com {

namespace {

namespace errnum = automation::errnum;

std::string hresultText(HRESULT hr) {
    return xls::text::hexNumber(static_cast<std::uint32_t>(hr), 8);
}

std::string takeString(BSTR& b) {
    std::string s = b ? os::win::Utf8(std::wstring_view(b, SysStringLen(b))) : std::string();
    SysFreeString(b);
    b = nullptr;
    return s;
}

}  // namespace

long ErrorNumberOf(HRESULT hr) {
    switch (hr) {
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND:
            return errnum::kMemberNotSupported;
        case DISP_E_TYPEMISMATCH:
            return errnum::kTypeMismatch;
        case DISP_E_OVERFLOW:
            return errnum::kOverflow;
        case DISP_E_BADINDEX:
            return errnum::kSubscriptOutOfRange;
        case DISP_E_PARAMNOTFOUND:
            return 448;  // named argument not found
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_PARAMNOTOPTIONAL:
            return 450;  // wrong number of arguments
        case DISP_E_NONAMEDARGS:
            return 446;  // object does not support named arguments
        case E_OUTOFMEMORY:
            return 7;
        default:
            break;
    }
    // The application's own errors live in the control facility with the
    // number in the low word, as the runtime shows them.
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && FAILED(hr)) return HRESULT_CODE(hr);
    return static_cast<long>(hr);
}

automation::AutomationError InvokeError(const std::string& member, HRESULT hr, EXCEPINFO& info) {
    long number = ErrorNumberOf(hr);
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        if (info.wCode != 0) {
            number = info.wCode;
        } else {
            number = ErrorNumberOf(info.scode != 0 ? info.scode : E_FAIL);
        }
    }
    std::string description = takeString(info.bstrDescription);
    if (hr != DISP_E_EXCEPTION) description.clear();
    takeString(info.bstrSource);
    takeString(info.bstrHelpFile);
    if (description.empty()) description = "failed (" + hresultText(hr) + ")";
    return automation::AutomationError(number, member + ": " + description);
}

automation::AutomationError ComError(const std::string& what, HRESULT hr) {
    return automation::AutomationError(ErrorNumberOf(hr), what + " (" + hresultText(hr) + ")");
}

}  // namespace mokuji::com
