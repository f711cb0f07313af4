#include "engine/check_worker.h"
#include "engine/page_budget.h"
#include "engine/site_gate.h"
#include "engine/worker_counters.h"
#include "run/row_report.h"
#include "support/model_rows.h"
#include "support/named_cases.h"
#include "support/qt_print.h"
#include "support/test_http_server.h"
#include "support/wait.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using orvane::testing::timeBound;
using orvane::testing::waitUntil;

constexpr qsizetype kMiB = qsizetype{1024} * 1024;
constexpr qsizetype kPageBytes = 3 * kMiB;
constexpr qsizetype kPageCost = kPageBytes * PageBudget::kDecodingCostPerBodyByte;
constexpr int kWorkers = 50;

struct BudgetCase
{
    const char *name;
    qsizetype limit;
    bool announced; // Content-Length, or a chunked body charged as it comes
    // How far past the limit the oldest holder may go when every holder waits.
    qsizetype allowedOver;
};

class PageBudgetRun : public ::testing::TestWithParam<BudgetCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(waitUntil([] { return no_threads.load() == 0; }));
        m_limit = PageBudget::shared().limit();
        m_siteLimit = SiteGate::shared().limit();
        SiteGate::shared().setLimit(SiteGate::kNoLimit); // the budget, not the site, holds them
    }
    void TearDown() override
    {
        PageBudget::shared().setLimit(m_limit);
        SiteGate::shared().setLimit(m_siteLimit);
        resetDownloadAbort();
    }
    void dispatch(const QString &url)
    {
        const ResultRowRef row = testing::addPendingRow(model, url);
        // Under the sanitizers the waits for memory run far past the time-out; the transfers
        // themselves take a fraction of it, with room for a busy two-core machine.
        WorkerEnvironment environment{std::make_shared<InternetPageSource>(), bridge.handle()};
        environment.timeOutMs = 10000;
        ASSERT_TRUE(TMyThread::Start(
            std::make_unique<TMyThread>(url, "site.example", std::make_unique<RowReport>(row, run),
                                        false, std::move(environment))));
    }

    ResultsModel model;
    GuiBridge bridge;
    std::shared_ptr<RunState> run = std::make_shared<RunState>();
    qsizetype m_limit = 0;
    int m_siteLimit = 0;
};

TEST_P(PageBudgetRun, HeldBytesStayWithinTheBudgetAndEveryRowEndsRight)
{
    const BudgetCase &budgetCase = GetParam();
    test::TestHttpServer server;
    const QByteArray link = "<a href='https://site.example/'>s</a>";
    const QByteArray body = link + QByteArray(kPageBytes - link.size(), 'x');
    const bool announced = budgetCase.announced;
    server.handle("/heavy", [body, announced](test::HttpConnection &c) {
        constexpr qsizetype kPiece = qsizetype{128} * 1024;
        if (announced) {
            const QByteArray head =
                "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
                "\r\n\r\n";
            if (c.send(head)) {
                c.sendInPieces(body, QList<qsizetype>(body.size() / kPiece, kPiece),
                               std::chrono::milliseconds(10));
            }
            return;
        }
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        for (qsizetype at = 0; at < body.size() && c.sendChunk(body.mid(at, kPiece));
             at += kPiece) {
        }
        c.endChunks();
    });
    PageBudget::shared().setLimit(budgetCase.limit);
    PageBudget::shared().resetHighWater();
    for (int i = 0; i < kWorkers; ++i) {
        dispatch(server.url("/heavy"));
    }
    ASSERT_TRUE(waitUntil([] { return no_threads.load() == 0; }, std::chrono::seconds(120)));

    EXPECT_GE(PageBudget::shared().highWater(), kPageCost); // the pages were charged
    EXPECT_LE(PageBudget::shared().highWater(), budgetCase.limit + budgetCase.allowedOver);
    for (int row = 0; row < kWorkers; ++row) {
        const QStringList texts = testing::rowTexts(model, row);
        EXPECT_EQ((QStringList{texts[FoundColumn], texts[StatusColumn], texts[FileSizeColumn]}),
                  (QStringList{"Found", "OK", QString::number(kPageBytes)}))
            << "row " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(
    PageBudget, PageBudgetRun,
    ::testing::Values(
        // Bodies take up to 42 MiB (fourteen pages at once), decoding the rest: two pages' text.
        BudgetCase{"AnnouncedPages", 16 * kPageBytes, true, 0},
        // Seven holders fit their first steps, then all wait: the oldest goes on, alone past it.
        BudgetCase{"UnannouncedPagesWhereEveryHolderWaits", 2 * kMiB, false, kPageCost}),
    testing::caseName);

// Closing the window ends workers waiting for memory at once, as it ends running ones.
TEST_F(PageBudgetRun, ClosingEndsWorkersWaitingForMemory)
{
    test::TestHttpServer server;
    server.handle("/page", [](test::HttpConnection &c) { c.respond(200, {}, "<p>page</p>"); });
    PageBudget::shared().setLimit(kMiB);
    PageBudget::Lease everything;
    ASSERT_TRUE(everything.holdAtLeast(kMiB));
    for (int i = 0; i < 5; ++i) {
        dispatch(server.url("/page"));
    }
    ASSERT_TRUE(waitUntil([&server] { return server.requestHeads().size() == 5; }));
    EXPECT_TRUE(shutdownWorkers(bridge, timeBound(std::chrono::milliseconds(100))));
}

} // namespace
} // namespace orvane
