#include "list_file/reader_instance.h"

#include "automation/ignoring_failure.h"

namespace mokuji::list_file {

namespace {

// A shut-down runs while an exception may be unwinding; nothing in it may
// throw again, and one failing step must not skip the next.
template <typename Step>
void quietly(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

ReaderInstance::~ReaderInstance() {
    quietly([&] { view_.doEvents(); });
    if (book) quietly([&] { book->close(false); });
    book.reset();
    quietly([&] { view_.doEvents(); });
    quietly([&] { automation::required(app_->workbooks()).close(); });
    quietly([&] { app_->setDisplayAlerts(false); });
    quietly([&] { app_->quit(); });
    app_.reset();
}

}  // namespace mokuji::list_file
