#pragma once

#include <memory>
#include <string>

#include "automation/com/com_apartment.h"
#include "automation/com/dispatch_ptr.h"
#include "automation/object_model.h"

// The object model over the spreadsheet application's own objects, each a
// thin late-bound wrapper of one IDispatch. Every handle keeps the thread's
// COM alive until it is released, so a handle kept longer than its
// application is still released safely.

namespace mokuji::com {

class ComHandle {
  public:
    ComHandle(ComSession session, DispatchPtr object)
        : session_(std::move(session)), object_(std::move(object)) {}
    const ComSession& session() const { return session_; }
    const DispatchPtr& object() const { return object_; }

  private:
    // Declared first, destroyed last: the object is released inside COM.
    ComSession session_;
    DispatchPtr object_;
};

// The IDispatch behind a range of this implementation; a range of another
// implementation cannot be handed to the application.
const DispatchPtr& DispatchOf(const automation::Range& range);

class ComInterior final : public automation::Interior, private ComHandle {
  public:
    using ComHandle::ComHandle;
    void setColorIndex(std::int32_t i) override;
    void setPattern(std::int32_t p) override;
};

class ComBorder final : public automation::Border, private ComHandle {
  public:
    using ComHandle::ComHandle;
    void setLineStyle(std::int32_t s) override;
    void setWeight(std::int32_t w) override;
    void setColorIndex(std::int32_t i) override;
};

class ComRange final : public automation::Range, public ComHandle {
  public:
    using ComHandle::ComHandle;
    automation::Variant value() const override;
    std::int32_t row() const override;
    std::int32_t column() const override;
    std::int32_t rowCount() const override;
    std::int32_t columnCount() const override;
    std::shared_ptr<automation::Worksheet> worksheet() const override;

    void select() override;
    void setFormulaR1C1(const automation::Variant& v) override;
    void deleteShift(std::int32_t shift) override;
    void setColumnWidth(double w) override;
    void setRowHeight(double h) override;
    void setHorizontalAlignment(std::int32_t a) override;
    void setVerticalAlignment(std::int32_t a) override;
    void setOrientation(std::int32_t o) override;
    void setAddIndent(bool on) override;
    void setIndentLevel(std::int32_t level) override;
    void setWrapText(bool on) override;
    void setShrinkToFit(bool on) override;
    void setMergeCells(bool on) override;
    std::shared_ptr<automation::Interior> interior() override;
    std::shared_ptr<automation::Border> borders(std::int32_t index) override;
};

class ComWorksheet final : public automation::Worksheet, private ComHandle {
  public:
    using ComHandle::ComHandle;
    std::string name() const override;
    std::shared_ptr<automation::Range> cells(std::int32_t row, std::int32_t column) const override;
    std::shared_ptr<automation::Range> range(const std::string& reference) const override;
    void setName(const std::string& name) override;
    void select() override;
    void addHyperlink(const automation::Range& anchor, const std::string& address,
                      const std::string& textToDisplay) override;
};

class ComSheets final : public automation::Sheets, private ComHandle {
  public:
    using ComHandle::ComHandle;
    std::int32_t count() const override;
    std::shared_ptr<automation::Worksheet> item(std::int32_t index) const override;
    std::shared_ptr<automation::Worksheet> item(const std::string& name) const override;
};

class ComName final : public automation::Name, private ComHandle {
  public:
    using ComHandle::ComHandle;
    std::string name() const override;
    std::string refersTo() const override;
    std::shared_ptr<automation::Range> refersToRange() const override;
};

class ComNames final : public automation::Names, private ComHandle {
  public:
    using ComHandle::ComHandle;
    std::int32_t count() const override;
    std::shared_ptr<automation::Name> item(std::int32_t index) const override;
    void add(const std::string& name, const std::string& refersToR1C1) override;
    void add(const std::string& name, const automation::Range& refersTo) override;
};

class ComDocumentProperty final : public automation::DocumentProperty, private ComHandle {
  public:
    using ComHandle::ComHandle;
    std::string name() const override;
    std::int32_t type() const override;
    automation::Variant value() const override;
};

class ComWorkbook final : public automation::Workbook, private ComHandle {
  public:
    using ComHandle::ComHandle;
    std::string name() const override;
    std::string fullName() const override;
    std::shared_ptr<automation::Sheets> sheets() const override;
    std::shared_ptr<automation::Names> names() const override;
    std::shared_ptr<automation::DocumentProperty> builtinDocumentProperty(
        std::int32_t index) const override;
    void close(bool saveChanges) override;
    void save() override;
    void saveAs(const automation::SaveAsArguments& args) override;
};

class ComWorkbooks final : public automation::Workbooks, private ComHandle {
  public:
    using ComHandle::ComHandle;
    std::shared_ptr<automation::Workbook> open(const automation::OpenArguments& args) override;
    void close() override;
    std::int32_t count() const override;
    std::shared_ptr<automation::Workbook> item(std::int32_t index) const override;
    std::shared_ptr<automation::Workbook> add() override;
};

// Wraps a result of the application in the handle type T of this session.
template <typename T>
std::shared_ptr<T> Wrap(const ComSession& session, DispatchPtr object) {
    return std::make_shared<T>(session, std::move(object));
}

}  // namespace mokuji::com
