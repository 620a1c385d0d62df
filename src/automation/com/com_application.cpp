#include "automation/com/com_application.h"

#include <objbase.h>

#include "automation/com/com_error.h"
#include "automation/com/com_objects.h"
#include "automation/com/late_bound_call.h"

namespace mokuji::com {

namespace {

using Call = LateBoundCall;

class ComApplication final : public automation::Application, private ComHandle {
  public:
    using ComHandle::ComHandle;
    ~ComApplication() override {
        if (quitAsked_) return;
        try {
            Call(object(), "Quit").method();
        } catch (...) {
            // The instance may be gone already; releasing is all that is left.
        }
    }

    std::shared_ptr<automation::Workbooks> workbooks() override {
        return Wrap<ComWorkbooks>(session(), Call(object(), "Workbooks").object());
    }
    void setEnableEvents(bool on) override { Call(object(), "EnableEvents").put(on); }
    void setDisplayAlerts(bool on) override { Call(object(), "DisplayAlerts").put(on); }
    void quit() override {
        // Asked once: a second Quit from the destructor could only fail again.
        quitAsked_ = true;
        Call(object(), "Quit").method();
    }

    std::shared_ptr<automation::Range> range(const std::string& text) override {
        return Wrap<ComRange>(session(), Call(object(), "Range").arg(text).object());
    }
    std::shared_ptr<automation::Workbook> activeWorkbook() override {
        return Wrap<ComWorkbook>(session(), Call(object(), "ActiveWorkbook").object());
    }
    std::shared_ptr<automation::Worksheet> activeSheet() override {
        return Wrap<ComWorksheet>(session(), Call(object(), "ActiveSheet").object());
    }
    std::shared_ptr<automation::Range> range(const automation::Range& first,
                                             const automation::Range& last) override {
        return Wrap<ComRange>(
            session(),
            Call(object(), "Range").arg(DispatchOf(first)).arg(DispatchOf(last)).object());
    }
    std::shared_ptr<automation::Range> cells() override {
        return Wrap<ComRange>(session(), Call(object(), "Cells").object());
    }
    std::shared_ptr<automation::Range> cells(std::int32_t row, std::int32_t column) override {
        auto all = Call(object(), "Cells").object();
        return Wrap<ComRange>(session(), Call(all, "Item").arg(row).arg(column).object());
    }
    std::shared_ptr<automation::Range> rows(const std::string& text) override {
        return Wrap<ComRange>(session(), Call(object(), "Rows").arg(text).object());
    }
    std::shared_ptr<automation::Range> columns(const std::string& text) override {
        return Wrap<ComRange>(session(), Call(object(), "Columns").arg(text).object());
    }
    std::shared_ptr<automation::Worksheet> sheets(const std::string& name) override {
        auto all = Call(object(), "Sheets").object();
        return Wrap<ComWorksheet>(session(), Call(all, "Item").arg(name).object());
    }
    std::shared_ptr<automation::Range> selection() override {
        return Wrap<ComRange>(session(), Call(object(), "Selection").object());
    }
    std::shared_ptr<automation::Range> activeCell() override {
        return Wrap<ComRange>(session(), Call(object(), "ActiveCell").object());
    }
    void deleteSelectedSheets() override {
        auto window = Call(object(), "ActiveWindow").object();
        Call(Call(window, "SelectedSheets").object(), "Delete").method();
    }

  private:
    bool quitAsked_ = false;
};

}  // namespace

std::unique_ptr<automation::Application> CreateComApplication() {
    auto session = std::make_shared<const ComApartment>();
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kApplicationProgId, &clsid);
    if (FAILED(hr)) {
        throw automation::AutomationError(automation::errnum::kCannotCreateObject,
                                          "the spreadsheet application is not installed");
    }
    IDispatch* raw = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&raw));
    if (FAILED(hr) || !raw) {
        const auto e = ComError("the spreadsheet application did not start", hr);
        throw automation::AutomationError(automation::errnum::kCannotCreateObject, e.what());
    }
    return std::make_unique<ComApplication>(std::move(session), DispatchPtr::Adopt(raw));
}

bool ComApplicationInstalled() {
    try {
        ComApartment apartment;
        CLSID clsid;
        return SUCCEEDED(CLSIDFromProgID(kApplicationProgId, &clsid));
    } catch (const automation::AutomationError&) {
        return false;
    }
}

}  // namespace mokuji::com
