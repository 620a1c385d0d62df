#include "automation/com/com_objects.h"
#include "automation/com/late_bound_call.h"
#include "automation/com/open_failure_cause.h"

namespace mokuji::com {

using Call = LateBoundCall;

namespace {

// A file whose content does not match its name (a workbook of the newer
// format saved under an .xls name), or one to be repaired, makes the
// application ask before it opens it; in an instance nobody sees, the
// question would wait for ever. With alerts off it goes on with the
// default answer; the caller's setting is put back afterwards.
class AlertsOffWhileOpening {
  public:
    explicit AlertsOffWhileOpening(const DispatchPtr& workbooks) {
        try {
            app_ = Call(workbooks, "Application").object();
            was_ =
                ToAutomation(Call(app_, "DisplayAlerts").get().get()) == automation::Variant(true);
            if (was_) Call(app_, "DisplayAlerts").put(false);
        } catch (const automation::AutomationError&) {
            app_.reset();  // the open itself will tell what is wrong
        }
    }
    ~AlertsOffWhileOpening() {
        if (!app_ || !was_) return;
        try {
            Call(app_, "DisplayAlerts").put(true);
        } catch (const automation::AutomationError&) {
            // Alerts left off only spare the caller a prompt.
        }
    }
    AlertsOffWhileOpening(const AlertsOffWhileOpening&) = delete;
    AlertsOffWhileOpening& operator=(const AlertsOffWhileOpening&) = delete;

  private:
    DispatchPtr app_;
    bool was_ = false;
};

}  // namespace

std::shared_ptr<automation::Workbook> ComWorkbooks::open(const automation::OpenArguments& args) {
    AlertsOffWhileOpening quiet(object());
    Call call(object(), "Open");
    call.named("FileName", args.fileName);
    if (args.updateLinks) call.named("UpdateLinks", *args.updateLinks);
    if (args.readOnly) call.named("ReadOnly", *args.readOnly);
    if (args.ignoreReadOnlyRecommended)
        call.named("IgnoreReadOnlyRecommended", *args.ignoreReadOnlyRecommended);
    try {
        return Wrap<ComWorkbook>(session(), call.methodObject());
    } catch (const automation::AutomationError& e) {
        // Only a refusal by the application is about the file; a lost
        // connection or a missing member is not.
        const bool refused =
            e.number() > 0 && e.number() != automation::errnum::kMemberNotSupported;
        automation::FileContent content = automation::FileContent::Unknown;
        const auto cause =
            refused ? OpenFailureOf(args.fileName, content) : automation::OpenFailure::Other;
        throw automation::AutomationError(e.number(), e.what(), cause, content);
    }
}

void ComWorkbooks::close() {
    Call(object(), "Close").method();
}

std::int32_t ComWorkbooks::count() const {
    return ToLong(Call(object(), "Count").get().get());
}

std::shared_ptr<automation::Workbook> ComWorkbooks::item(std::int32_t index) const {
    return Wrap<ComWorkbook>(session(), Call(object(), "Item").arg(index).object());
}

std::shared_ptr<automation::Workbook> ComWorkbooks::add() {
    return Wrap<ComWorkbook>(session(), Call(object(), "Add").methodObject());
}

}  // namespace mokuji::com
