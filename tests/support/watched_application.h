#pragma once

// The tests' one double of the object model: our own engine, wrapped so that
// a test sees what a caller asks of the application (opens, saves, closes,
// settings) and can make a chosen member fail, or a chosen file refuse to
// open, as the spreadsheet application may where the engine never does.
// Everything else is the engine's own doing on real files.

#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "automation/native/native_application.h"
#include "automation/object_model.h"

namespace fake {

using automation::AutomationError;

struct Watch {
    // Application-level calls in order: "Open(...)", "Add", "Save(path)",
    // "SaveAs(path)", "Workbook.Close(SaveChanges=..)", "Workbooks.Close",
    // "EnableEvents=..", "DisplayAlerts=..", "Range(text)", "Quit".
    std::vector<std::string> log;
    // Members (as "Workbook.SaveAs", "Names.Count", "Border.Weight") and what
    // calling them throws.
    std::map<std::string, std::exception_ptr> failing;
    // Files whose open fails as the application would refuse them.
    std::map<std::string, AutomationError> refused;
    bool failCreation = false;
    // Sheets a new workbook has beyond the engine's three, as the
    // application's setting may give it.
    int extraSheetsInNewWorkbook = 0;
    int created = 0;
    int alive = 0;

    void fail(const std::string& member) {
        failing[member] = std::make_exception_ptr(
            AutomationError(automation::errnum::kApplicationDefined, member + " failed"));
    }
    void refuse(const std::string& path, automation::OpenFailure cause,
                automation::FileContent content = automation::FileContent::Unknown) {
        refused.insert_or_assign(path, AutomationError(1004, "cannot open", cause, content));
    }
    bool logged(const std::string& entry) const {
        std::lock_guard lock(mutex);
        for (const auto& e : log)
            if (e == entry) return true;
        return false;
    }
    void note(std::string entry) {
        std::lock_guard lock(mutex);
        log.push_back(std::move(entry));
    }
    void check(const std::string& member) const {
        auto it = failing.find(member);
        if (it != failing.end()) std::rethrow_exception(it->second);
    }
    mutable std::mutex mutex;
};

namespace watched {

using namespace automation;

// A Workbooks.Open call as logged: the file and every named argument that
// was passed, in a fixed order.
inline std::string openCallText(const OpenArguments& a) {
    std::string entry = "Open(" + a.fileName;
    if (a.updateLinks) entry += ",UpdateLinks=" + std::to_string(*a.updateLinks);
    if (a.readOnly) entry += std::string(",ReadOnly=") + (*a.readOnly ? "true" : "false");
    if (a.ignoreReadOnlyRecommended)
        entry += std::string(",IgnoreReadOnlyRecommended=") +
                 (*a.ignoreReadOnlyRecommended ? "true" : "false");
    return entry + ")";
}

// Every object the engine hands out comes back wrapped in turn, so that
// whatever a caller reaches from the application is watched.
template <typename T>
std::shared_ptr<T> wrap(Watch& w, std::shared_ptr<T> in);

// The engine's own range behind one of ours, for members that take one.
const Range& inner(const Range& r);

template <typename T>
class Wrap : public T {
  public:
    Wrap(Watch& w, std::shared_ptr<T> in) : w_(w), in_(std::move(in)) {}
    const T& innerObject() const { return *in_; }

  protected:
    Watch& w_;
    std::shared_ptr<T> in_;
};

// A member as the engine has it, unless the test made `member` fail; the
// second kind returns its object wrapped.
#define WATCHED(type, method, member, params, args) \
    type method params override {                   \
        w_.check(member);                           \
        return in_->method args;                    \
    }
#define WATCHED_OBJECT(type, method, member, params, args) \
    std::shared_ptr<type> method params override {         \
        w_.check(member);                                  \
        return wrap(w_, in_->method args);                 \
    }

struct WInterior : Wrap<Interior> {
    using Wrap::Wrap;
    WATCHED(void, setColorIndex, "Interior.ColorIndex", (std::int32_t v), (v))
    WATCHED(void, setPattern, "Interior.Pattern", (std::int32_t v), (v))
};

struct WBorder : Wrap<Border> {
    using Wrap::Wrap;
    WATCHED(void, setLineStyle, "Border.LineStyle", (std::int32_t v), (v))
    WATCHED(void, setWeight, "Border.Weight", (std::int32_t v), (v))
    WATCHED(void, setColorIndex, "Border.ColorIndex", (std::int32_t v), (v))
};

struct WRange : Wrap<Range> {
    using Wrap::Wrap;
    WATCHED(Variant, value, "Range.Value", () const, ())
    WATCHED(std::int32_t, row, "Range.Row", () const, ())
    WATCHED(std::int32_t, column, "Range.Column", () const, ())
    WATCHED(std::int32_t, rowCount, "Range.Rows.Count", () const, ())
    WATCHED(std::int32_t, columnCount, "Range.Columns.Count", () const, ())
    WATCHED_OBJECT(Worksheet, worksheet, "Range.Worksheet", () const, ())
    WATCHED(void, select, "Range.Select", (), ())
    WATCHED(void, setFormulaR1C1, "Range.FormulaR1C1", (const Variant& v), (v))
    WATCHED(void, deleteShift, "Range.Delete", (std::int32_t v), (v))
    WATCHED(void, setColumnWidth, "Range.ColumnWidth", (double v), (v))
    WATCHED(void, setRowHeight, "Range.RowHeight", (double v), (v))
    WATCHED(void, setHorizontalAlignment, "Range.HorizontalAlignment", (std::int32_t v), (v))
    WATCHED(void, setVerticalAlignment, "Range.VerticalAlignment", (std::int32_t v), (v))
    WATCHED(void, setOrientation, "Range.Orientation", (std::int32_t v), (v))
    WATCHED(void, setAddIndent, "Range.AddIndent", (bool v), (v))
    WATCHED(void, setIndentLevel, "Range.IndentLevel", (std::int32_t v), (v))
    WATCHED(void, setWrapText, "Range.WrapText", (bool v), (v))
    WATCHED(void, setShrinkToFit, "Range.ShrinkToFit", (bool v), (v))
    WATCHED(void, setMergeCells, "Range.MergeCells", (bool v), (v))
    WATCHED_OBJECT(Interior, interior, "Range.Interior", (), ())
    WATCHED_OBJECT(Border, borders, "Range.Borders", (std::int32_t i), (i))
};

inline const Range& inner(const Range& r) {
    auto* ours = dynamic_cast<const WRange*>(&r);
    return ours ? ours->innerObject() : r;
}

struct WSheet : Wrap<Worksheet> {
    using Wrap::Wrap;
    WATCHED(std::string, name, "Worksheet.Name", () const, ())
    WATCHED_OBJECT(Range, cells, "Worksheet.Cells", (std::int32_t r, std::int32_t c) const, (r, c))
    WATCHED_OBJECT(Range, range, "Worksheet.Range", (const std::string& t) const, (t))
    WATCHED_OBJECT(Range, usedRange, "Worksheet.UsedRange", () const, ())
    WATCHED(void, setName, "Worksheet.Name", (const std::string& n), (n))
    WATCHED(void, select, "Worksheet.Select", (), ())
    WATCHED(void, addHyperlink, "Hyperlinks.Add",
            (const Range& anchor, const std::string& address, const std::string& text),
            (inner(anchor), address, text))
};

struct WSheets : Wrap<Sheets> {
    using Wrap::Wrap;
    WATCHED(std::int32_t, count, "Sheets.Count", () const, ())
    WATCHED_OBJECT(Worksheet, item, "Sheets.Item", (std::int32_t i) const, (i))
    WATCHED_OBJECT(Worksheet, item, "Sheets.Item", (const std::string& n) const, (n))
    WATCHED_OBJECT(Worksheet, add, "Sheets.Add", (const std::string& n), (n))
};

struct WNames : Wrap<Names> {
    using Wrap::Wrap;
    WATCHED(std::int32_t, count, "Names.Count", () const, ())
    WATCHED(std::shared_ptr<Name>, item, "Names.Item", (std::int32_t i) const, (i))
    WATCHED(void, add, "Names.Add", (const std::string& n, const std::string& r), (n, r))
    WATCHED(void, add, "Names.Add", (const std::string& n, const Range& r), (n, inner(r)))
};

struct WBook : Wrap<Workbook> {
    using Wrap::Wrap;
    WATCHED(std::string, name, "Workbook.Name", () const, ())
    WATCHED(std::string, fullName, "Workbook.FullName", () const, ())
    WATCHED_OBJECT(Sheets, sheets, "Workbook.Sheets", () const, ())
    WATCHED_OBJECT(Names, names, "Workbook.Names", () const, ())
    WATCHED(std::shared_ptr<DocumentProperty>, builtinDocumentProperty,
            "Workbook.BuiltinDocumentProperties", (std::int32_t i) const, (i))
    void close(bool save) override {
        w_.note(std::string("Workbook.Close(SaveChanges=") + (save ? "true" : "false") + ")");
        in_->close(save);
    }
    void save() override {
        w_.note("Save(" + in_->fullName() + ")");
        w_.check("Workbook.Save");
        in_->save();
    }
    void saveAs(const SaveAsArguments& a) override {
        w_.note("SaveAs(" + a.fileName + ")");
        w_.check("Workbook.SaveAs");
        in_->saveAs(a);
    }
};

struct WBooks : Wrap<Workbooks> {
    using Wrap::Wrap;
    std::shared_ptr<Workbook> open(const OpenArguments& a) override {
        w_.note(openCallText(a));
        w_.check("Workbooks.Open");
        auto refusal = w_.refused.find(a.fileName);
        if (refusal != w_.refused.end()) throw refusal->second;
        return wrap(w_, in_->open(a));
    }
    void close() override {
        w_.note("Workbooks.Close");
        in_->close();
    }
    WATCHED(std::int32_t, count, "Workbooks.Count", () const, ())
    WATCHED_OBJECT(Workbook, item, "Workbooks.Item", (std::int32_t i) const, (i))
    std::shared_ptr<Workbook> add() override {
        return added([&] { return in_->add(); });
    }
    std::shared_ptr<Workbook> addForPackage() override {
        return added([&] { return in_->addForPackage(); });
    }
    template <class Add>
    std::shared_ptr<Workbook> added(Add add) {
        w_.note("Add");
        w_.check("Workbooks.Add");
        auto book = add();
        for (int i = 1; i <= w_.extraSheetsInNewWorkbook; ++i)
            book->sheets()->add("Sheet" + std::to_string(3 + i));
        return wrap(w_, book);
    }
};

struct WApplication : Wrap<Application> {
    WApplication(Watch& w, std::shared_ptr<Application> in) : Wrap(w, std::move(in)) {
        std::lock_guard lock(w_.mutex);
        ++w_.created;
        ++w_.alive;
    }
    ~WApplication() override {
        std::lock_guard lock(w_.mutex);
        --w_.alive;
    }
    void setEnableEvents(bool on) override {
        w_.note(std::string("EnableEvents=") + (on ? "true" : "false"));
        in_->setEnableEvents(on);
    }
    void setDisplayAlerts(bool on) override {
        w_.note(std::string("DisplayAlerts=") + (on ? "true" : "false"));
        in_->setDisplayAlerts(on);
    }
    void quit() override {
        w_.note("Quit");
        in_->quit();
    }
    std::shared_ptr<Range> range(const std::string& t) override {
        w_.note("Range(" + t + ")");
        return wrap(w_, in_->range(t));
    }
    WATCHED_OBJECT(Workbooks, workbooks, "Application.Workbooks", (), ())
    WATCHED(bool, readsInParallel, "Application.ReadsInParallel", () const, ())
    WATCHED_OBJECT(Workbook, activeWorkbook, "Application.ActiveWorkbook", (), ())
    WATCHED_OBJECT(Worksheet, activeSheet, "Application.ActiveSheet", (), ())
    WATCHED_OBJECT(Range, range, "Application.Range", (const Range& a, const Range& b),
                   (inner(a), inner(b)))
    WATCHED_OBJECT(Range, cells, "Application.Cells", (), ())
    WATCHED_OBJECT(Range, cells, "Application.Cells", (std::int32_t r, std::int32_t c), (r, c))
    WATCHED_OBJECT(Range, rows, "Application.Rows", (const std::string& t), (t))
    WATCHED_OBJECT(Range, columns, "Application.Columns", (const std::string& t), (t))
    WATCHED_OBJECT(Worksheet, sheets, "Application.Sheets", (const std::string& n), (n))
    WATCHED_OBJECT(Range, selection, "Application.Selection", (), ())
    WATCHED_OBJECT(Range, activeCell, "Application.ActiveCell", (), ())
    WATCHED(void, deleteSelectedSheets, "ActiveWindow.SelectedSheets.Delete", (), ())
};

#undef WATCHED
#undef WATCHED_OBJECT

// Which wrapper watches each kind of object; never called.
WInterior* watcherOf(Interior*);
WBorder* watcherOf(Border*);
WRange* watcherOf(Range*);
WSheet* watcherOf(Worksheet*);
WSheets* watcherOf(Sheets*);
WNames* watcherOf(Names*);
WBook* watcherOf(Workbook*);
WBooks* watcherOf(Workbooks*);

template <typename T>
std::shared_ptr<T> wrap(Watch& w, std::shared_ptr<T> in) {
    using Watcher = std::remove_pointer_t<decltype(watcherOf(static_cast<T*>(nullptr)))>;
    if (!in) return nullptr;
    return std::make_shared<Watcher>(w, std::move(in));
}

}  // namespace watched

// Starts an engine instance the watch sees, or fails as a machine without
// the application does.
inline automation::ApplicationFactory factoryFor(Watch& w) {
    return [&w]() -> std::unique_ptr<automation::Application> {
        if (w.failCreation)
            throw AutomationError(automation::errnum::kCannotCreateObject, "cannot create object");
        return std::make_unique<watched::WApplication>(w, xls::native::createApplication());
    };
}

}  // namespace fake
