// The run scheduler on its own: ticked by hand, with workers that check canned pages on the
// calling thread, a fixed clock and a fixed locale. No sockets, no window.
#include "engine/worker_counters.h"
#include "run/run_scheduler.h"
#include "support/canned_source.h"
#include "support/qt_print.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace orvane {
namespace {

// The window's fields as the scheduler reads them.
class FixedInputs final : public RunInputs
{
public:
    const PageList &pages() override { return lines; }
    QString target() override { return QStringLiteral("site.b"); }
    Wanted wanted() override { return Wanted::Nothing; }
    bool contentMode() override { return false; }

    TextLines lines{QStringLiteral("https://a.example/\n   \nhttps://b.example/")};
};

class RecordingView final : public RunView, public MessageSink
{
public:
    void setButtonCaption(const QString &caption) override { button = caption; }
    void setTotalText(const QString &text) override { total = text; }
    void setThreadsText(const QString &text) override { threads = text; }
    void setFoundText(const QString &text) override { found = text; }
    void setNotFoundText(const QString &text) override { notFound = text; }
    void showGauge(const GaugeValue &value) override { gauge = value; }
    void information(const QString &text) override { messages << text; }

    QString button, total, threads, found = QStringLiteral("(start)"), notFound;
    GaugeValue gauge;
    QStringList messages;
};

class RunSchedulerTest : public ::testing::Test
{
protected:
    RunSchedulerTest()
    {
        pages->add(QStringLiteral("https://a.example/"), {"<a href='https://site.b/'>A</a>"});
        pages->add(QStringLiteral("https://b.example/"), {"<p>no link</p>"});
        RunScheduler::Services services;
        services.results = &results;
        services.view = &view;
        services.messages = &view;
        services.workers = {pages, {}};
        services.clock = [] { return QDateTime(QDate(2026, 12, 9), QTime(7, 5, 9)); };
        services.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        // The check runs at once, on this thread, and reports before the worker goes.
        services.startWorker = [this](std::unique_ptr<TMyThread> worker) {
            if (holdWorkers) {
                held.push_back(std::move(worker));
            } else {
                worker->Execute();
                worker->Show_Result();
            }
            return true;
        };
        scheduler = std::make_unique<RunScheduler>(timer, inputs, std::move(services));
    }
    void SetUp() override { ASSERT_EQ(no_threads.load(), 0); }

    QString cell(int row, int column) const { return results.index(row, column).data().toString(); }

    FixedInputs inputs;
    std::shared_ptr<testing::CannedSource> pages = std::make_shared<testing::CannedSource>();
    ResultsModel results;
    RecordingView view;
    QTimer timer;
    bool holdWorkers = false;
    std::vector<std::unique_ptr<TMyThread>> held;
    std::unique_ptr<RunScheduler> scheduler;
};

TEST_F(RunSchedulerTest, TicksTakeOneLineEachAndTheRunEndsOnce)
{
    scheduler->Start();
    EXPECT_TRUE(scheduler->isRunning());
    EXPECT_EQ(view.button, QStringLiteral("Stop"));
    EXPECT_EQ(view.total, QStringLiteral("Total URLs: 3"));
    EXPECT_EQ(view.gauge.maximum(), 2);

    scheduler->StartTTimerTimer();
    EXPECT_EQ(view.threads, QStringLiteral("Threads 0/10"));
    EXPECT_EQ(view.total, QStringLiteral("Urls 0/3"));
    EXPECT_EQ(view.found, QStringLiteral("(start)")); // no report before this tick's panels
    ASSERT_EQ(results.rowCount(), 1);
    EXPECT_EQ(cell(0, FoundColumn), QStringLiteral("Found"));
    EXPECT_EQ(cell(0, DateCheckedColumn), QStringLiteral("12/9/26 7:05:09 AM"));

    scheduler->StartTTimerTimer(); // the blank line: taken, no row
    EXPECT_EQ(view.found, QStringLiteral("1 Found URLs (100.00 %)"));
    EXPECT_EQ(view.notFound, QStringLiteral("0 Not Found URLs (0.00 %)"));
    EXPECT_EQ(results.rowCount(), 1);

    scheduler->StartTTimerTimer();
    ASSERT_EQ(results.rowCount(), 2);
    EXPECT_EQ(cell(1, FoundColumn), QStringLiteral("Not Found"));
    EXPECT_TRUE(view.messages.isEmpty());

    scheduler->StartTTimerTimer(); // every line taken, no worker alive
    EXPECT_FALSE(scheduler->isRunning());
    EXPECT_EQ(view.button, QStringLiteral("Start"));
    EXPECT_EQ(view.messages, QStringList{QLatin1String(kRunCompleted)});
    EXPECT_EQ(view.found, QStringLiteral("1 Found URLs (50.00 %)"));
    EXPECT_EQ(view.gauge.value(), view.gauge.maximum());
}

TEST_F(RunSchedulerTest, AFullWorkerLimitOnlyRefreshesTheCounts)
{
    holdWorkers = true;
    scheduler->state().max_no_threads = 1;
    scheduler->state().time_out = 7000;
    scheduler->Start();
    scheduler->StartTTimerTimer();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(no_threads.load(), 1);
    scheduler->state().time_out = 1000; // later choices do not reach a worker that exists
    held[0]->Execute();
    EXPECT_EQ(pages->lastTimeOut(), 7000);

    scheduler->StartTTimerTimer(); // no free slot
    EXPECT_EQ(view.threads, QStringLiteral("Threads 1/1"));
    EXPECT_EQ(view.total, QStringLiteral("Urls 1/3"));
    EXPECT_EQ(results.rowCount(), 1);

    held.clear(); // the worker ends without a report: its row stays pending
    scheduler->StartTTimerTimer();
    EXPECT_EQ(view.total, QStringLiteral("Urls 1/3"));
    EXPECT_EQ(cell(0, FoundColumn), QStringLiteral("Searching..."));
    scheduler->StartTTimerTimer();
    EXPECT_EQ(results.rowCount(), 2);
    held.clear();
    scheduler->Stop();
}

TEST_F(RunSchedulerTest, DateCheckedLeavesOutAMidnightTime)
{
    scheduler->services().clock = [] { return QDateTime(QDate(2026, 1, 31), QTime(0, 0)); };
    scheduler->Start();
    scheduler->StartTTimerTimer();
    EXPECT_EQ(cell(0, DateCheckedColumn), QStringLiteral("1/31/26"));
    scheduler->services().locale = QLocale(QLocale::German, QLocale::Germany);
    scheduler->services().clock = [] { return QDateTime(QDate(2026, 1, 31), QTime(23, 4, 5)); };
    scheduler->StartTTimerTimer();
    scheduler->StartTTimerTimer();
    EXPECT_EQ(cell(1, DateCheckedColumn), QStringLiteral("31.01.26 23:04:05"));
    scheduler->Stop();
}

} // namespace
} // namespace orvane
