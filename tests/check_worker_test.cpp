#include "engine/check_worker.h"
#include "engine/legacy_codepage.h"
#include "engine/page_budget.h"
#include "engine/robots_cache.h"
#include "engine/robots_rules.h"
#include "engine/site_gate.h"
#include "engine/web_address.h"
#include "engine/worker_counters.h"
#include "run/row_report.h"
#include "support/canned_source.h"
#include "support/model_rows.h"
#include "support/named_cases.h"
#include "support/qt_print.h"
#include "support/test_http_server.h"
#include "support/wait.h"

#include <QSignalSpy>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane {
namespace {

using orvane::testing::kGiveUp;
using orvane::testing::waitUntil;

using testing::CannedSource;

class CheckWorker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(waitUntil([] { return no_threads.load() == 0; }));
        setLegacyCodePage(CodePage::Utf8);
    }
    void TearDown() override { setLegacyCodePage(CodePage::Utf8); }

    ResultRowRef addPendingRow(const QString &url) { return testing::addPendingRow(model, url); }

    // Starts one worker for `url` into a new row and returns the row reference.
    ResultRowRef dispatch(const QString &url, const QString &target, bool contentMode = false)
    {
        ResultRowRef row = addPendingRow(url);
        EXPECT_TRUE(TMyThread::Start(std::make_unique<TMyThread>(
            url, target, std::make_unique<RowReport>(row, run), contentMode, environment())));
        return row;
    }

    WorkerEnvironment environment() { return {source, bridge.handle()}; }

    bool waitForAllWorkers()
    {
        return waitUntil([] { return no_threads.load() == 0; });
    }

    // Set once a worker has queued its report and waits for the GUI thread.
    const std::atomic<bool> &reportWaiting()
    {
        QObject::connect(
            &bridge, &GuiBridge::drainRequested, &bridge, [this] { m_reportWaiting = true; },
            Qt::DirectConnection);
        return m_reportWaiting;
    }
    static void waitWhileNot(const std::atomic<bool> &flag)
    {
        while (!flag) {
            std::this_thread::yield();
        }
    }

    QStringList rowTexts(int row) const { return testing::rowTexts(model, row); }
    int rowImage(int row) const { return testing::rowImage(model, row); }

    std::shared_ptr<RunState> run = std::make_shared<RunState>();
    ResultsModel model;
    GuiBridge bridge;
    std::shared_ptr<CannedSource> cannedSource = std::make_shared<CannedSource>();
    std::shared_ptr<const PageSource> source = cannedSource;
    std::atomic<bool> m_reportWaiting{false};
};

const QString kDate = testing::kCheckedText;

TEST_F(CheckWorker, ReportsAFoundLinkIntoItsRow)
{
    const QByteArray page =
        "<p>See <a href='https://blog.site.example/page'>Example <b>site</b></a></p>";
    cannedSource->add("https://a.example/", {page});
    dispatch("https://a.example/", "site.example");
    ASSERT_TRUE(waitForAllWorkers());

    EXPECT_EQ(rowTexts(0), (QStringList{"https://a.example/", "Found", "Live", "Example site",
                                        "https://blog.site.example/page", "OK",
                                        QString::number(page.size()), kDate, "dofollow", "", ""}));
    EXPECT_EQ(rowImage(0), ImageFound);
    EXPECT_EQ(run->found_count, 1);
    EXPECT_EQ(run->not_found_count, 0);
}

TEST_F(CheckWorker, ReportsPagesWithoutTheLinkAndFailedFetches)
{
    const QByteArray plain = "<html><a href='https://other.example/'>x</a></html>";
    cannedSource->add("https://plain.example/", {plain});
    cannedSource->add(
        "https://refused.example/",
        {{}, {}, CannedSource::Failure::Download, QString::fromLatin1(kCannotOpenUrl)});
    dispatch("https://plain.example/", "site.example");
    dispatch("https://refused.example/", "site.example");
    ASSERT_TRUE(waitForAllWorkers());

    EXPECT_EQ(rowTexts(0), (QStringList{"https://plain.example/", "Not Found", "Lost", "", "", "OK",
                                        QString::number(plain.size()), kDate, "", "", ""}));
    EXPECT_EQ(rowImage(0), ImageNotFound);
    EXPECT_EQ(rowTexts(1), (QStringList{"https://refused.example/", "Not Found", "Unverified", "",
                                        "", "Cannot open URL", "0", kDate, "", "", ""}));
    EXPECT_EQ(rowImage(1), ImageNotFound);
    EXPECT_EQ(run->found_count, 0);
    EXPECT_EQ(run->not_found_count, 2);
}

// A partial or error page is still searched; the row says what was wrong with it.
TEST_F(CheckWorker, SearchesPartialAndErrorPagesAndNamesTheirState)
{
    const QByteArray linked = "<a href=\"https://site.example/\">Home</a>";
    cannedSource->add("https://slow.example/", {linked, QString::fromLatin1(kTimedOut)});
    cannedSource->add("https://cut.example/", {linked, QString::fromLatin1(kDownloadIncomplete)});
    cannedSource->add("https://missing.example/",
                      {"<h1>Not here</h1>", QStringLiteral("HTTP 404")});
    cannedSource->add("https://huge.example/", {linked, QString::fromLatin1(kPageTooLarge)});
    for (const char *url : {"https://slow.example/", "https://cut.example/",
                            "https://missing.example/", "https://huge.example/"}) {
        dispatch(QString::fromLatin1(url), "site.example");
    }
    ASSERT_TRUE(waitForAllWorkers());

    const QStringList expected[] = {
        {"https://slow.example/", "Found", "Live", "Home", "https://site.example/", "Timed out",
         QString::number(linked.size()), kDate, "dofollow", "", ""},
        {"https://cut.example/", "Found", "Live", "Home", "https://site.example/",
         "Download incomplete", QString::number(linked.size()), kDate, "dofollow", "", ""},
        {"https://missing.example/", "Not Found", "Lost", "", "", "HTTP 404", "17", kDate, "", "",
         ""},
        {"https://huge.example/", "Found", "Live", "Home", "https://site.example/",
         "Page too large", QString::number(linked.size()), kDate, "dofollow", "", ""},
    };
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(rowTexts(row), expected[row]);
    }
    EXPECT_EQ(run->found_count, 3);
    EXPECT_EQ(run->not_found_count, 1);
}

TEST_F(CheckWorker, ContentModeSearchesTheWholePage)
{
    cannedSource->add("https://a.example/", {"<div><b>Hi</b></div>"});
    cannedSource->add("https://b.example/", {"<div><B>Hi</B></div>"});
    dispatch("https://a.example/", "<b>Hi</b>", true);
    dispatch("https://b.example/", "<b>Hi</b>", true);
    ASSERT_TRUE(waitForAllWorkers());
    EXPECT_EQ(rowTexts(0).mid(1, 5), (QStringList{"Found", "Live", "", "", "OK"}));
    EXPECT_EQ(rowTexts(1).mid(1, 5), (QStringList{"Not Found", "Lost", "", "", "OK"}));
}

// Failures the worker has no message for must not leave the row pending for good.
TEST_F(CheckWorker, FailuresWithoutAMessageStillReportAndCount)
{
    cannedSource->add("https://oom.example/", {{}, {}, CannedSource::Failure::OutOfMemory});
    cannedSource->add("https://odd.example/", {{}, {}, CannedSource::Failure::Other});
    dispatch("https://oom.example/", "site.example");
    dispatch("https://odd.example/", "site.example");
    ASSERT_TRUE(waitForAllWorkers());
    EXPECT_EQ(rowTexts(0), (QStringList{"https://oom.example/", "Not Found", "Unverified", "", "",
                                        "Out of memory", "0", kDate, "", "", ""}));
    EXPECT_EQ(rowTexts(1), (QStringList{"https://odd.example/", "Not Found", "Unverified", "", "",
                                        "Check failed", "0", kDate, "", "", ""}));
    EXPECT_EQ(rowImage(0), ImageNotFound);
    EXPECT_EQ(run->not_found_count, 2);
}

TEST(CleanStatus, KeepsSpaceHashSlashDigitsAndAsciiLetters)
{
    EXPECT_EQ(Clean_Status(QString()), QString());
    EXPECT_EQ(Clean_Status(QStringLiteral("OK")), QStringLiteral("OK"));
    EXPECT_EQ(Clean_Status(QStringLiteral("  a  b ")), QStringLiteral("  a  b "));
    EXPECT_EQ(Clean_Status(QStringLiteral("a.b:c-d_e(f)g")), QStringLiteral("abcdefg"));
    EXPECT_EQ(Clean_Status(QStringLiteral("/#09AZaz")), QStringLiteral("/#09AZaz"));
    EXPECT_EQ(Clean_Status(QStringLiteral("\t.\n:\r")), QString());
    // Just outside the kept ranges.
    EXPECT_EQ(Clean_Status(QStringLiteral("!\"$.:@[`{")), QString());
    EXPECT_EQ(Clean_Status(QString::fromUtf16(u"caf\u00e9 \U0001F600 x")),
              QStringLiteral("caf  x"));
}

// On a single-byte code page the size counts the narrowed bytes, and the search sees substitutes.
TEST_F(CheckWorker, SizeAndAnchorFollowTheLegacyCodePage)
{
    setLegacyCodePage(CodePage::Windows1252);
    const QByteArray page =
        QString::fromUtf16(u"<a href='https://site.example/'>\u0100ll \u4e2d caf\u00e9</a>")
            .toUtf8();
    cannedSource->add("https://a.example/", {page});
    dispatch("https://a.example/", "site.example");
    ASSERT_TRUE(waitForAllWorkers());
    const QStringList texts = rowTexts(0);
    EXPECT_EQ(texts[AnchorTextColumn], QString::fromUtf16(u"All ? caf\u00e9"));
    EXPECT_EQ(texts[FileSizeColumn], QString::number(page.size() - 4)); // 2+3+2 bytes became 1+1+1
}

TEST_F(CheckWorker, TakesTargetModeAndTimeOutAtCreation)
{
    cannedSource->add("https://a.example/",
                      {"<a href='https://site.example/'>x</a>", {}, {}, {}, 50});
    WorkerEnvironment chosen = environment();
    chosen.timeOutMs = 7000;
    const ResultRowRef row = addPendingRow("https://a.example/");
    auto worker = std::make_unique<TMyThread>("https://a.example/", "site.example",
                                              std::make_unique<RowReport>(row, run), false, chosen);
    EXPECT_EQ(no_threads.load(), 1);
    EXPECT_TRUE(TMyThread::Start(std::move(worker)));
    ASSERT_TRUE(waitForAllWorkers());
    EXPECT_EQ(cannedSource->lastTimeOut(), 7000);
    EXPECT_EQ(rowTexts(0)[FoundColumn], QStringLiteral("Found"));
}

// What a worker hands over, seen through a receiver that keeps it: one value per worker, on the GUI
// thread, as the check made it; the receiver goes with the worker.
struct ReportLog
{
    std::vector<CheckReport> reports;
    std::vector<bool> onGuiThread;
    std::atomic<int> receiversGone{0};
    int goingMs = 0; // how long a receiver takes to go
};

class RecordingReceiver final : public CheckReceiver
{
public:
    explicit RecordingReceiver(std::shared_ptr<ReportLog> log) : m_log(std::move(log)) {}
    ~RecordingReceiver() override
    {
        QThread::msleep(static_cast<unsigned long>(m_log->goingMs));
        ++m_log->receiversGone;
    }
    void report(const CheckReport &result) override
    {
        m_log->reports.push_back(result);
        m_log->onGuiThread.push_back(QThread::currentThread() == qApp->thread());
    }

private:
    std::shared_ptr<ReportLog> m_log;
};

QStringList fields(const CheckReport &report)
{
    return {report.found ? QStringLiteral("found") : QStringLiteral("not found"),
            report.link,
            report.anchor,
            report.status.text(),
            QString::number(report.size),
            report.linkType.text(),
            robotsText(report.robots)};
}

class CheckWorkerReport : public CheckWorker
{
protected:
    std::shared_ptr<ReportLog> dispatchRecorded(const QString &url, const QString &target,
                                                bool contentMode = false, int goingMs = 0)
    {
        auto log = std::make_shared<ReportLog>();
        log->goingMs = goingMs;
        EXPECT_TRUE(TMyThread::Start(std::make_unique<TMyThread>(
            url, target, std::make_unique<RecordingReceiver>(log), contentMode, environment())));
        return log;
    }
    // The one value reported, once the worker and its receiver are gone.
    static QStringList onlyReport(const ReportLog &log)
    {
        EXPECT_EQ(log.receiversGone.load(), 1);
        if (log.reports.size() != 1) {
            ADD_FAILURE() << log.reports.size() << " reports";
            return {};
        }
        EXPECT_TRUE(log.onGuiThread[0]);
        return fields(log.reports[0]);
    }
};

TEST_F(CheckWorkerReport, FoundAndNotFoundPagesAndNotes)
{
    const QByteArray page = "<meta name=robots content=noindex><p>"
                            "<a rel='nofollow' href='https://site.example/a'>Our <b>site</b></a>";
    const QByteArray plain = "<p>nothing</p>";
    cannedSource->add("https://found.example/", {page});
    cannedSource->add("https://plain.example/", {plain});
    cannedSource->add("https://slow.example/", {page, QString::fromLatin1(kTimedOut)});
    const QByteArray fragmentPage = "<div><b>Hi</b></div>";
    cannedSource->add("https://content.example/", {fragmentPage});
    const QByteArray unquoted = "<a href=https://site.example/b rel=ugc> Our&amp;\n<i>site</i></a>";
    cannedSource->add("https://unquoted.example/", {unquoted});
    const auto found = dispatchRecorded("https://found.example/", "site.example");
    const auto plainLog = dispatchRecorded("https://plain.example/", "site.example");
    const auto slow = dispatchRecorded("https://slow.example/", "site.example");
    const auto content = dispatchRecorded("https://content.example/", "<b>Hi</b>", true);
    const auto unquotedLog = dispatchRecorded("https://unquoted.example/", "site.example");
    ASSERT_TRUE(waitForAllWorkers());

    const QString size = QString::number(page.size());
    EXPECT_EQ(onlyReport(*found), (QStringList{"found", "https://site.example/a", "Our site", "OK",
                                               size, "nofollow", "noindex"}));
    EXPECT_EQ(onlyReport(*plainLog),
              (QStringList{"not found", "", "", "OK", QString::number(plain.size()), "", ""}));
    EXPECT_EQ(onlyReport(*slow), (QStringList{"found", "https://site.example/a", "Our site",
                                              "Timed out", size, "nofollow", "noindex"}));
    // A fragment found in Content mode has neither a link nor a link type.
    EXPECT_EQ(onlyReport(*content),
              (QStringList{"found", "", "", "OK", QString::number(fragmentPage.size()), "", ""}));
    // An address in an unquoted href is that element's link, with its text.
    EXPECT_EQ(onlyReport(*unquotedLog),
              (QStringList{"found", "https://site.example/b", "Our& site", "OK",
                           QString::number(unquoted.size()), "ugc", ""}));
    // The worker reports; counting is the receiver's business.
    EXPECT_EQ(run->found_count, 0);
    EXPECT_EQ(run->not_found_count, 0);
}

TEST_F(CheckWorkerReport, FailedFetchesAndThrowingSources)
{
    cannedSource->add("https://refused.example/",
                      {{},
                       {},
                       CannedSource::Failure::Download,
                       QStringLiteral("Error (12029): can't connect.\r\n")});
    cannedSource->add("https://oom.example/", {{}, {}, CannedSource::Failure::OutOfMemory});
    cannedSource->add("https://odd.example/", {{}, {}, CannedSource::Failure::Other});
    const auto refused = dispatchRecorded("https://refused.example/", "site.example");
    const auto oom = dispatchRecorded("https://oom.example/", "site.example");
    const auto odd = dispatchRecorded("https://odd.example/", "site.example");
    ASSERT_TRUE(waitForAllWorkers());

    // The fetcher's message cut down to what a row shows.
    EXPECT_EQ(onlyReport(*refused),
              (QStringList{"not found", "", "", "Error 12029 cant connect", "0", "", ""}));
    EXPECT_EQ(onlyReport(*oom), (QStringList{"not found", "", "", "Out of memory", "0", "", ""}));
    EXPECT_EQ(onlyReport(*odd), (QStringList{"not found", "", "", "Check failed", "0", "", ""}));
}

// Closing the program: a report still to come never reaches its receiver, which goes with its
// worker all the same.
TEST_F(CheckWorkerReport, ShutdownDropsTheReportAndTheReceiver)
{
    cannedSource->add("https://a.example/", {"<a href='https://site.example/'>x</a>"});
    const std::atomic<bool> &waiting = reportWaiting();
    const auto log = dispatchRecorded("https://a.example/", "site.example", false, 100);
    waitWhileNot(waiting); // the worker now waits for this thread
    EXPECT_TRUE(shutdownWorkers(bridge, kGiveUp));
    EXPECT_EQ(log->receiversGone.load(), 1); // gone before the worker left no_threads
    waitUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_TRUE(log->reports.empty());
    resetDownloadAbort();
}

// Start clears the list while workers of a stopped run are still fetching: their reports must
// neither touch the new run's rows nor count in it.
TEST_F(CheckWorker, ReportIntoARemovedRowIsDropped)
{
    cannedSource->add("https://old.example/",
                      {"<a href='https://site.example/'>x</a>", {}, {}, {}, 100});
    dispatch("https://old.example/", "site.example");
    model.clear();
    const ResultRowRef fresh = addPendingRow("https://new.example/");
    ASSERT_TRUE(waitForAllWorkers());
    EXPECT_EQ(fresh.row(), 0);
    EXPECT_EQ(rowTexts(0), (QStringList{"https://new.example/", "Searching...", "",
                                        "Downloading...", "", "", "", kDate, "", "", ""}));
    EXPECT_EQ(rowImage(0), ImagePending);
    EXPECT_EQ(run->found_count, 0);
    EXPECT_EQ(run->not_found_count, 0);
}

TEST_F(CheckWorker, EachReportIsOneUpdateOfItsRow)
{
    cannedSource->add("https://a.example/", {"<a href='https://site.example/'>x</a>"});
    addPendingRow("https://other.example/");
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    dispatch("https://a.example/", "site.example");
    ASSERT_TRUE(waitForAllWorkers());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
}

TEST_F(CheckWorker, CountsLiveWorkersExactlyUnderLoad)
{
    constexpr int kWorkers = 200;
    for (int i = 0; i < kWorkers; ++i) {
        const QString url = QStringLiteral("https://p%1.example/").arg(i);
        const QByteArray body = i % 3 == 0 ? QByteArray("<a href='https://site.example/p") +
                                                 QByteArray::number(i) + "'>p" +
                                                 QByteArray::number(i) + "</a>"
                                           : QByteArray("nothing");
        cannedSource->add(url, {body, {}, {}, {}, 1 + i % 7});
    }
    for (int i = 0; i < kWorkers; ++i) {
        dispatch(QStringLiteral("https://p%1.example/").arg(i), "site.example");
    }
    // No report can run before this thread goes back to its event loop, and a worker leaves
    // no_threads only after its report: every one of them still counts.
    EXPECT_EQ(no_threads.load(), kWorkers);
    ASSERT_TRUE(waitForAllWorkers());
    EXPECT_EQ(no_threads.load(), 0);
    EXPECT_GT(cannedSource->peakInFetch(), 1); // they really ran side by side
    EXPECT_EQ(run->found_count + run->not_found_count, kWorkers);
    EXPECT_EQ(run->found_count, (kWorkers + 2) / 3);
    for (int i = 0; i < kWorkers; ++i) {
        const QStringList texts = rowTexts(i);
        ASSERT_EQ(texts[UrlColumn], QStringLiteral("https://p%1.example/").arg(i));
        if (i % 3 == 0) {
            EXPECT_EQ(texts[UrlFoundColumn], QStringLiteral("https://site.example/p%1").arg(i));
            EXPECT_EQ(texts[AnchorTextColumn], QStringLiteral("p%1").arg(i));
        } else {
            EXPECT_EQ(texts[FoundColumn], QStringLiteral("Not Found"));
        }
    }
}

// Closing the program: workers waiting to report are released, report nothing, and end.
TEST_F(CheckWorker, ShutdownReleasesWorkersWithoutDeliveringTheirReports)
{
    cannedSource->add("https://a.example/", {"<a href='https://site.example/'>x</a>"});
    const std::atomic<bool> &waiting = reportWaiting();
    for (int i = 0; i < 20; ++i) {
        dispatch("https://a.example/", "site.example");
    }
    // Workers wait for the GUI thread, which is busy here; those still fetching come after the
    // end, and are released all the same.
    waitWhileNot(waiting);
    EXPECT_TRUE(shutdownWorkers(bridge, kGiveUp));
    EXPECT_EQ(no_threads.load(), 0);
    waitUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(run->found_count, 0);
    for (int row = 0; row < 20; ++row) {
        EXPECT_EQ(rowImage(row), ImagePending);
    }
    resetDownloadAbort();
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

// The whole road of a page: a real server, the real fetcher, the search, the report.
TEST_F(CheckWorker, ChecksRealPagesEndToEnd)
{
    test::TestHttpServer server;
    const QByteArray linking =
        "<html><head><link rel=canonical href=/home></head><body><p>Partners: <a class='x' "
        "href=\"https://www.site.example/?ref=1\">\n  Our <i>partner</i>\n</a></p></body></html>";
    server.handle("/links", [linking](test::HttpConnection &c) {
        c.respond(200, {"Content-Type: text/html"}, linking);
    });
    server.handle("/gone", [](test::HttpConnection &c) {
        c.respond(404, {}, "<a href='https://www.site.example/'>old</a>");
    });
    server.handle("/moved",
                  [](test::HttpConnection &c) { c.respond(301, {"Location: /links"}, ""); });
    constexpr int kPlainPages = 60;
    for (int i = 0; i < kPlainPages; ++i) {
        server.handle("/plain" + QByteArray::number(i), [i](test::HttpConnection &c) {
            c.pause(std::chrono::milliseconds(i % 10));
            c.respond(200, {}, QByteArray("<p>nothing here " + QByteArray::number(i) + "</p>"));
        });
    }
    source = std::make_shared<InternetPageSource>();

    dispatch(server.url("/links"), "site.example");
    dispatch(server.url("/gone"), "site.example");
    dispatch(test::closedPortUrl(), "site.example");
    for (int i = 0; i < kPlainPages; ++i) {
        dispatch(server.url("/plain" + QByteArray::number(i)), "site.example");
    }
    dispatch(server.url("/moved"), "site.example");
    EXPECT_EQ(no_threads.load(), kPlainPages + 4); // none has reported yet (see above)
    ASSERT_TRUE(waitForAllWorkers());

    EXPECT_EQ(rowTexts(0).mid(1, 6),
              (QStringList{"Found", "Weak", "Our partner", "https://www.site.example/?ref=1", "OK",
                           QString::number(linking.size())}));
    EXPECT_EQ(rowTexts(1).mid(1, 5),
              (QStringList{"Found", "Lost", "old", "https://www.site.example/", "HTTP 404"}));
    EXPECT_EQ(rowTexts(2).mid(1, 6),
              (QStringList{"Not Found", "Unverified", "", "", "Cannot open URL", "0"}));
    for (int i = 0; i < kPlainPages; ++i) {
        EXPECT_EQ(rowTexts(3 + i)[StatusColumn], QStringLiteral("OK"));
        EXPECT_EQ(rowImage(3 + i), ImageNotFound);
    }
    // The page names another as canonical; a redirect to it is seen.
    EXPECT_EQ(rowTexts(0).mid(RobotsColumn), (QStringList{"canonicalised", ""}));
    EXPECT_EQ(rowTexts(3 + kPlainPages).mid(RobotsColumn),
              (QStringList{"canonicalised", server.url("/links")}));
    EXPECT_EQ(model.index(0, RobotsColumn).data(Qt::ToolTipRole).toString(),
              QStringLiteral("canonicalised\ncanonical: ") + server.url("/home"));
    EXPECT_EQ(rowTexts(3)[RedirectedToColumn], QString());
    EXPECT_EQ(run->found_count, 3);
    EXPECT_EQ(run->not_found_count, kPlainPages + 1);
    EXPECT_EQ(no_threads.load(), 0);
}

// --- Waits ---------------------------------------------------------------------------------

struct WaitCase
{
    const char *name;
    CheckWait wait; // None: the wait for another worker's read of robots.txt
    const char *shown;
    int requests; // what the server sees: robots.txt, or a page whose transfer began
};

// Every wait of a check says what it waits for and ends at once on its run's Stop: "Stopped".
class CheckWorkerWaits : public CheckWorker, public ::testing::WithParamInterface<WaitCase>
{
protected:
    void TearDown() override
    {
        SiteGate::shared().setLimit(SiteGate::kDefaultLimit);
        PageBudget::shared().setLimit(m_budget);
        CheckWorker::TearDown();
    }
    qsizetype m_budget = PageBudget::shared().limit();
};

TEST_P(CheckWorkerWaits, SayWhatTheyWaitForAndEndOnStop)
{
    const WaitCase &c = GetParam();
    test::TestHttpServer server;
    auto release = std::make_shared<std::atomic<bool>>(false);
    server.handle("/robots.txt", [release](test::HttpConnection &connection) {
        while (!release->load() && connection.pause(std::chrono::milliseconds(10))) {
        }
        connection.respond(404, {}, "");
    });
    const int status = c.wait == CheckWait::ToRetry ? 503 : 200;
    server.handle("/page", [status](test::HttpConnection &connection) {
        connection.respond(status, {}, "<p>page</p>");
    });
    const QString url = server.url("/page");
    WorkerEnvironment environment{std::make_shared<InternetPageSource>(), bridge.handle()};
    std::stop_source stop;
    environment.stop = stop.get_token();
    SiteGate::Slot taken;
    PageBudget::Lease everything;
    if (c.wait == CheckWait::ForSite) {
        SiteGate::shared().setLimit(1);
        taken = SiteGate::shared().enter(siteOf(url.toUtf8()));
    } else if (c.wait == CheckWait::ForMemory) {
        PageBudget::shared().setLimit(qsizetype{1024} * 1024);
        ASSERT_TRUE(everything.holdAtLeast(PageBudget::shared().limit()));
    } else if (c.wait == CheckWait::None) {
        environment.robots = std::make_shared<RobotsCache>();
    }
    const int rows = c.wait == CheckWait::None ? 2 : 1; // the first reads robots.txt
    for (int row = 0; row < rows; ++row) {
        ASSERT_TRUE(waitUntil([&server, row] { return server.requestHeads().size() >= row; }));
        EXPECT_TRUE(TMyThread::Start(std::make_unique<TMyThread>(
            url, "site.example", std::make_unique<RowReport>(addPendingRow(url), run), false,
            environment)));
    }
    const int waiter = rows - 1;
    ASSERT_TRUE(waitUntil([&] { return rowTexts(waiter)[AnchorTextColumn] == c.shown; }));
    const int counted = int(c.wait == CheckWait::None ? CheckWait::ForSite : c.wait);
    EXPECT_EQ(waiting_workers[counted].load(), 1);

    stop.request_stop();
    ASSERT_TRUE(waitUntil([&] { return model.rowAt(waiter).reported; }));
    release->store(true); // the robots.txt under way ends; its reader then stops before its page
    ASSERT_TRUE(waitForAllWorkers());
    for (int row = 0; row < rows; ++row) {
        EXPECT_EQ(rowTexts(row).mid(FoundColumn, 5),
                  (QStringList{"Not Found", "Unverified", "", "", "Stopped"}));
    }
    EXPECT_EQ(waiting_workers[counted].load(), 0);
    EXPECT_EQ(server.requestHeads().size(), c.requests);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckWorkerWaits,
    ::testing::Values(WaitCase{"ForSite", CheckWait::ForSite, "Waiting for site...", 0},
                      WaitCase{"ToRetry", CheckWait::ToRetry, "Waiting to retry...", 1},
                      WaitCase{"ForMemory", CheckWait::ForMemory, "Waiting for memory...", 1},
                      WaitCase{"ForRobotsTxt", CheckWait::None, "Waiting for site...", 1}),
    testing::caseName);

} // namespace
} // namespace orvane
