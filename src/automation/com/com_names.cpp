#include "automation/com/com_objects.h"
#include "automation/com/late_bound_call.h"

namespace mokuji::com {

using Call = LateBoundCall;

std::string ComName::name() const {
    return ToText(Call(object(), "Name").get().get());
}
std::string ComName::refersTo() const {
    return ToText(Call(object(), "RefersTo").get().get());
}

std::shared_ptr<automation::Range> ComName::refersToRange() const {
    return Wrap<ComRange>(session(), Call(object(), "RefersToRange").object());
}

std::int32_t ComNames::count() const {
    return ToLong(Call(object(), "Count").get().get());
}

std::shared_ptr<automation::Name> ComNames::item(std::int32_t index) const {
    return Wrap<ComName>(session(), Call(object(), "Item").arg(index).object());
}

void ComNames::add(const std::string& name, const std::string& refersToR1C1) {
    Call(object(), "Add").named("Name", name).named("RefersToR1C1", refersToR1C1).method();
}

void ComNames::add(const std::string& name, const automation::Range& refersTo) {
    Call(object(), "Add").named("Name", name).named("RefersToR1C1", DispatchOf(refersTo)).method();
}

}  // namespace mokuji::com
