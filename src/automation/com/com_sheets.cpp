#include "automation/com/com_objects.h"
#include "automation/com/late_bound_call.h"

namespace mokuji::com {

using Call = LateBoundCall;

std::string ComWorksheet::name() const {
    return ToText(Call(object(), "Name").get().get());
}

std::shared_ptr<automation::Range> ComWorksheet::cells(std::int32_t row,
                                                       std::int32_t column) const {
    auto all = Call(object(), "Cells").object();
    return Wrap<ComRange>(session(), Call(all, "Item").arg(row).arg(column).object());
}

std::shared_ptr<automation::Range> ComWorksheet::range(const std::string& reference) const {
    return Wrap<ComRange>(session(), Call(object(), "Range").arg(reference).object());
}

void ComWorksheet::setName(const std::string& name) {
    Call(object(), "Name").put(name);
}
void ComWorksheet::select() {
    Call(object(), "Select").method();
}

void ComWorksheet::addHyperlink(const automation::Range& anchor, const std::string& address,
                                const std::string& textToDisplay) {
    auto links = Call(object(), "Hyperlinks").object();
    Call(links, "Add")
        .named("Anchor", DispatchOf(anchor))
        .named("Address", address)
        .named("TextToDisplay", textToDisplay)
        .method();
}

std::int32_t ComSheets::count() const {
    return ToLong(Call(object(), "Count").get().get());
}

std::shared_ptr<automation::Worksheet> ComSheets::item(std::int32_t index) const {
    return Wrap<ComWorksheet>(session(), Call(object(), "Item").arg(index).object());
}

std::shared_ptr<automation::Worksheet> ComSheets::item(const std::string& name) const {
    return Wrap<ComWorksheet>(session(), Call(object(), "Item").arg(name).object());
}

}  // namespace mokuji::com
