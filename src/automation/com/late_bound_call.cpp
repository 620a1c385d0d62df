#include "automation/com/late_bound_call.h"

#include <oleauto.h>

#include <cstring>

#include "automation/com/com_error.h"
#include "os/win32/wide_text.h"

namespace mokuji::com {

ComVariant LateBoundCall::get() {
    return invoke(DISPATCH_METHOD | DISPATCH_PROPERTYGET, true);
}

DispatchPtr LateBoundCall::object() {
    return objectOf(get());
}

DispatchPtr LateBoundCall::methodObject() {
    return objectOf(invoke(DISPATCH_METHOD, true));
}

DispatchPtr LateBoundCall::objectOf(const ComVariant& v) const {
    try {
        return ToObject(v.get());
    } catch (const automation::AutomationError& e) {
        throw automation::AutomationError(e.number(), member_ + ": " + e.what());
    }
}

void LateBoundCall::method() {
    invoke(DISPATCH_METHOD, true);
}

void LateBoundCall::put(ComVariant value) {
    // The assigned value travels as the one named argument DISPID_PROPERTYPUT,
    // ahead of any index arguments.
    names_.insert(names_.begin(), std::string());
    named_.insert(named_.begin(), std::move(value));
    invoke(DISPATCH_PROPERTYPUT, false);
}

ComVariant LateBoundCall::invoke(WORD flags, bool wantResult) {
    if (!target_) {
        throw automation::AutomationError(automation::errnum::kObjectRequired,
                                          member_ + ": object required");
    }
    const bool isPut = flags == DISPATCH_PROPERTYPUT;
    // The member's name first, then those of the named arguments; a put's
    // value has no name to look up.
    std::vector<std::wstring> wideNames;
    wideNames.push_back(os::win::Wide(member_));
    for (std::size_t i = isPut ? 1 : 0; i < names_.size(); ++i)
        wideNames.push_back(os::win::Wide(names_[i]));
    std::vector<LPOLESTR> namePointers;
    for (auto& n : wideNames) namePointers.push_back(n.data());
    std::vector<DISPID> ids(wideNames.size(), DISPID_UNKNOWN);
    HRESULT hr = target_.get()->GetIDsOfNames(IID_NULL, namePointers.data(),
                                              static_cast<UINT>(namePointers.size()),
                                              LOCALE_USER_DEFAULT, ids.data());
    if (FAILED(hr)) {
        // The member exists but one of the argument names does not: the
        // runtime's "named argument not found".
        if (hr == DISP_E_UNKNOWNNAME && ids[0] != DISPID_UNKNOWN) {
            throw automation::AutomationError(448, member_ + ": named argument not found");
        }
        throw ComError(member_ + ": no such member", hr);
    }

    // Named arguments first, then the positional ones last to first.
    std::vector<VARIANTARG> args;
    std::vector<DISPID> namedIds;
    for (std::size_t i = 0; i < named_.size(); ++i) {
        VARIANTARG a;
        std::memcpy(&a, &named_[i].get(), sizeof a);
        args.push_back(a);
        namedIds.push_back(isPut && i == 0 ? DISPID_PROPERTYPUT : ids[isPut ? i : i + 1]);
    }
    for (auto it = positional_.rbegin(); it != positional_.rend(); ++it) {
        VARIANTARG a;
        std::memcpy(&a, &it->get(), sizeof a);
        args.push_back(a);
    }
    DISPPARAMS params{};
    params.rgvarg = args.empty() ? nullptr : args.data();
    params.cArgs = static_cast<UINT>(args.size());
    params.rgdispidNamedArgs = namedIds.empty() ? nullptr : namedIds.data();
    params.cNamedArgs = static_cast<UINT>(namedIds.size());

    ComVariant result;
    EXCEPINFO info{};
    UINT argError = 0;
    hr = target_.get()->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               wantResult ? result.out() : nullptr, &info, &argError);
    // The copies in `args` are shallow: the variants stay owned, and freed,
    // by this call's own vectors.
    if (FAILED(hr)) throw InvokeError(member_, hr, info);
    // A server may fill these even when the call succeeds.
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return result;
}

}  // namespace mokuji::com
