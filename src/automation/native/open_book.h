#pragma once

#include <memory>
#include <string>

#include "automation/object_model.h"

namespace xls::native {

class OpenBook;

// The application's list of open workbooks, as a workbook closing itself
// sees it.
class BookList {
  public:
    virtual ~BookList() = default;
    virtual void remove(const OpenBook* book) = 0;
};

// A workbook's Name: its full name after the last '\\' or '/', as the
// application takes either for a separator. This backend sits below the
// tool's path helpers, so the one rule it needs is kept here.
inline std::string nameOfFullName(const std::string& fullName) {
    const std::size_t cut = fullName.find_last_of("/\\");
    return cut == std::string::npos ? fullName : fullName.substr(cut + 1);
}

// A workbook open in the native application. A workbook opened read-only
// is held by the fast reader; a new one, or one opened for writing, by the
// editable model. The application resolves its Range(text), Cells and the
// other members that act "on the active sheet" through this interface.
class OpenBook : public automation::Workbook {
  public:
    virtual std::shared_ptr<automation::Range> resolve(const std::string& text) = 0;
    virtual std::shared_ptr<automation::Worksheet> activeWorksheet() = 0;
    virtual std::shared_ptr<automation::Range> span(const automation::Range&,
                                                    const automation::Range&) {
        automation::memberNotSupported("Application.Range");
    }
    virtual std::shared_ptr<automation::Range> allCells() {
        automation::memberNotSupported("Application.Cells");
    }
    virtual std::shared_ptr<automation::Range> rows(const std::string&) {
        automation::memberNotSupported("Application.Rows");
    }
    virtual std::shared_ptr<automation::Range> columns(const std::string&) {
        automation::memberNotSupported("Application.Columns");
    }
    virtual std::shared_ptr<automation::Range> selection() {
        automation::memberNotSupported("Application.Selection");
    }
    virtual std::shared_ptr<automation::Range> activeCell() {
        automation::memberNotSupported("Application.ActiveCell");
    }
    virtual void deleteSelectedSheets() {
        automation::memberNotSupported("ActiveWindow.SelectedSheets.Delete");
    }

    void attach(BookList* owner) { owner_ = owner; }
    void detach() { owner_ = nullptr; }
    bool isOpen() const { return owner_ != nullptr; }

    // Closing takes the workbook out of the application's list.
    void close(bool /*saveChanges*/) override {
        if (!owner_)
            throw automation::AutomationError(automation::errnum::kApplicationDefined,
                                              "workbook '" + name() + "' is closed");
        auto* owner = owner_;
        owner_ = nullptr;
        owner->remove(this);
    }

  private:
    BookList* owner_ = nullptr;
};

}  // namespace xls::native
