#include "run/workbook_reading.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "automation/ignoring_failure.h"
#include "os/path_names.h"
#include "os/read_ahead.h"
#include "run/workbook_row_reader.h"

namespace mokuji::run {

namespace {

using automation::AutomationError;

// Below this many workbooks starting threads costs more than it saves.
constexpr std::size_t kPoolThreshold = 8;
// More readers than this only queue for the disk.
constexpr unsigned kMaxReaders = 4;
// Workbooks asked of the disk ahead of the ones the readers take: on a cold
// cache the disk then fetches them while the readers parse, instead of
// each reader waiting for one file at a time. Bounded, so that a folder
// larger than the cache does not push out what is about to be read.
constexpr std::size_t kReadAhead = 256;
// The caller is woken once for this many readings rather than for each:
// every wake-up took a core from a reader, about a thousand a run.
constexpr std::size_t kTakenTogether = 16;
constexpr std::size_t kNobody = static_cast<std::size_t>(-1);

}  // namespace

std::string PlannedPath(const RunPlan& plan, std::size_t index) {
    return plan.workingFolder + plan.workbooks[index];
}

std::string ListedName(const RunPlan& plan, std::size_t index) {
    return os::SlashSeparated(plan.workbooks[index]);
}

WorkbookReading ReadPlannedWorkbook(automation::Application& xl_app, const RunPlan& plan,
                                    std::size_t index) {
    const std::string path = PlannedPath(plan, index);
    WorkbookReading reading;
    try {
        list_file::RowStore rows;
        reading.book = ReadWorkbookRow(xl_app, path, ListedName(plan, index), plan.columns,
                                       plan.prop_name, rows);
        if (!rows.rows.empty()) reading.row = std::move(rows.rows.front());
    } catch (const AutomationError& e) {
        // One unreadable file must not stop the run; the caller names it
        // once the run is over.
        reading.skipped =
            SkippedWorkbook{ListedName(plan, index), e.openFailure(), e.what(), e.foundContent()};
    } catch (...) {
        reading.failure = std::current_exception();
    }
    return reading;
}

struct ReadingPool::Shared {
    explicit Shared(const RunPlan& p) : plan(p), readings(p.workbooks.size()) {}

    const RunPlan& plan;
    std::mutex lock;
    std::condition_variable ready;
    std::vector<std::optional<WorkbookReading>> readings;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    // The readings the caller waits for, the first and the last; kNobody
    // while it does not wait.
    std::size_t awaitedFirst = kNobody;
    std::size_t awaitedLast = kNobody;
    std::vector<std::thread> readers;
    std::thread asker;

    // On a thread of its own: asking opens each file, and on a cold cache
    // an open waits for the disk too, which the readers should not.
    void askAhead() {
        for (std::size_t i = 0; i < readings.size() && !stop; ++i) {
            {
                std::unique_lock guard(lock);
                while (i >= next + kReadAhead && !stop)
                    ready.wait_for(guard, std::chrono::milliseconds(5));
            }
            os::ExpectReadingSoon(PlannedPath(plan, i));
        }
    }

    void read(automation::Application& xl_app) {
        for (std::size_t i = next++; i < readings.size() && !stop; i = next++) {
            WorkbookReading reading = ReadPlannedWorkbook(xl_app, plan, i);
            if (reading.book) automation::ignoringFailure([&] { reading.book->close(false); });
            reading.book.reset();
            bool wake = false;
            {
                std::lock_guard guard(lock);
                readings[i] = std::move(reading);
                wake = awaitedLast != kNobody && readings[awaitedFirst] && readings[awaitedLast];
            }
            if (wake) ready.notify_all();
        }
    }
};

std::unique_ptr<ReadingPool> ReadingPool::start(const RunPlan& plan,
                                                const automation::ApplicationFactory& factory,
                                                const automation::Application& probe) {
    const unsigned cores = std::thread::hardware_concurrency();
    if (!probe.readsInParallel() || cores < 2 || plan.workbooks.size() < kPoolThreshold)
        return nullptr;
    auto shared = std::make_shared<Shared>(plan);
    std::unique_ptr<ReadingPool> pool(new ReadingPool(shared));
    // Asking costs an open a workbook, which a folder read just before (the
    // usual second run) does not repay; its first and last workbook tell.
    if (!os::StartIsCached(PlannedPath(plan, 0)) ||
        !os::StartIsCached(PlannedPath(plan, plan.workbooks.size() - 1))) {
        try {
            shared->asker = std::thread([shared = shared.get()] { shared->askAhead(); });
        } catch (const std::system_error&) {
            // A hint only: the readers read all the same.
        }
    }
    const unsigned readers = std::min(cores, kMaxReaders);
    for (unsigned k = 0; k < readers; ++k) {
        std::unique_ptr<automation::Application> xl_app;
        try {
            xl_app = factory();
        } catch (const AutomationError&) {
        }
        if (!xl_app) break;
        try {
            shared->readers.emplace_back(
                [shared = shared.get(), app = std::move(xl_app)]() mutable {
                    shared->read(*app);
                    automation::ignoringFailure([&] { app->workbooks()->close(); });
                    automation::ignoringFailure([&] { app->quit(); });
                });
        } catch (const std::system_error&) {
            break;  // no thread to be had: the readers there are will do
        }
    }
    // Without a reader of its own the run reads in the caller's application.
    if (shared->readers.empty()) return nullptr;
    return pool;
}

ReadingPool::ReadingPool(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

ReadingPool::~ReadingPool() {
    shared_->stop = true;
    shared_->ready.notify_all();
    for (auto& t : shared_->readers) t.join();
    if (shared_->asker.joinable()) shared_->asker.join();
}

std::optional<WorkbookReading> ReadingPool::take(std::size_t index, int patience) {
    Shared& shared = *shared_;
    std::unique_lock guard(shared.lock);
    auto& slot = shared.readings[index];
    if (!slot) {
        shared.awaitedFirst = index;
        shared.awaitedLast = std::min(index + kTakenTogether, shared.readings.size()) - 1;
        shared.ready.wait_for(guard, std::chrono::milliseconds(patience), [&] {
            return slot.has_value() && shared.readings[shared.awaitedLast].has_value();
        });
        shared.awaitedFirst = shared.awaitedLast = kNobody;
    }
    if (!slot) return std::nullopt;
    std::optional<WorkbookReading> taken = std::move(slot);
    slot.reset();
    return taken;
}

}  // namespace mokuji::run
