#include "automation/com/com_objects.h"
#include "automation/com/late_bound_call.h"

namespace mokuji::com {

using Call = LateBoundCall;

std::string ComDocumentProperty::name() const {
    return ToText(Call(object(), "Name").get().get());
}
std::int32_t ComDocumentProperty::type() const {
    return ToLong(Call(object(), "Type").get().get());
}
automation::Variant ComDocumentProperty::value() const {
    return ToAutomation(Call(object(), "Value").get().get());
}

std::string ComWorkbook::name() const {
    return ToText(Call(object(), "Name").get().get());
}
std::string ComWorkbook::fullName() const {
    return ToText(Call(object(), "FullName").get().get());
}

std::shared_ptr<automation::Sheets> ComWorkbook::sheets() const {
    return Wrap<ComSheets>(session(), Call(object(), "Sheets").object());
}

std::shared_ptr<automation::Names> ComWorkbook::names() const {
    return Wrap<ComNames>(session(), Call(object(), "Names").object());
}

std::shared_ptr<automation::DocumentProperty> ComWorkbook::builtinDocumentProperty(
    std::int32_t index) const {
    auto properties = Call(object(), "BuiltinDocumentProperties").object();
    return Wrap<ComDocumentProperty>(session(), Call(properties, "Item").arg(index).object());
}

void ComWorkbook::close(bool saveChanges) {
    Call(object(), "Close").named("SaveChanges", saveChanges).method();
}

void ComWorkbook::save() {
    Call(object(), "Save").method();
}

void ComWorkbook::saveAs(const automation::SaveAsArguments& args) {
    Call call(object(), "SaveAs");
    call.named("FileName", args.fileName);
    if (args.password) call.named("Password", *args.password);
    if (args.writeResPassword) call.named("WriteResPassword", *args.writeResPassword);
    if (args.readOnlyRecommended) call.named("ReadOnlyRecommended", *args.readOnlyRecommended);
    if (args.createBackup) call.named("CreateBackup", *args.createBackup);
    call.method();
}

}  // namespace mokuji::com
