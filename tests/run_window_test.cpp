#include "engine/check_worker.h"
#include "engine/site_gate.h"
#include "engine/worker_counters.h"
#include "support/model_rows.h"
#include "support/qt_print.h"
#include "support/test_http_server.h"
#include "support/window_fixture.h"
#include "ui/gauge_widget.h"
#include "ui/status_panel.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <memory>

namespace orvane {
namespace {

using testing::waitUntil;
using RunWindow = testing::WindowTest;

// Pages that answer after a pause; the server counts how many it holds at once.
struct SlowSite
{
    test::TestHttpServer server;

    QString page(const QByteArray &path, const QByteArray &body, int pauseMs, int status = 200,
                 const QList<QByteArray> &headers = {"Content-Type: text/html"})
    {
        server.handle(path, [=](test::HttpConnection &c) {
            c.pause(std::chrono::milliseconds(pauseMs));
            c.respond(status, headers, body);
        });
        return server.url(path);
    }
    int peak() const { return server.peakRequestsInHand(); }
    int requestsFor(const QByteArray &target) const
    {
        const auto arrivals = server.arrivals();
        return int(std::count_if(arrivals.begin(), arrivals.end(),
                                 [&](const auto &arrival) { return arrival.target == target; }));
    }
};

const QByteArray kLinking = "<p><a href='https://www.site.example/'>Our site</a></p>";

TEST_F(RunWindow, ChecksAWholeListUnderTheWorkerLimit)
{
    SlowSite site;
    child<QAction>("N5Threads2")->trigger();
    QStringList lines;
    for (int i = 0; i < 48; ++i) {
        lines << site.page("/p" + QByteArray::number(i),
                           i % 3 == 0 ? kLinking : QByteArray("<p>no</p>"), 20);
    }
    lines.insert(10, QStringLiteral("   "));
    lines << site.page("/missing", kLinking, 0, 404) << test::closedPortUrl();
    setPages(lines);
    websiteEdit()->setText(QStringLiteral("site.example"));

    // Watch the status bar while the run goes on.
    int worstThreads = 0;
    QStringList progressTexts;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const QString threads = child<StatusPanel>("ThreadsTspSkinStatusPanel")->text();
        worstThreads = std::max(worstThreads, threads.section(u' ', 1).section(u'/', 0, 0).toInt());
        EXPECT_TRUE(threads.endsWith(QStringLiteral("/5"))) << threads.toStdString();
        progressTexts << child<StatusPanel>("TotalTspSkinStatusPanel")->text();
    });
    watcher.start(3);

    child<QPushButton>("spSkinSpeedButton1")->click();
    EXPECT_EQ(child<QPushButton>("spSkinSpeedButton1")->text(), QStringLiteral("Stop"));
    EXPECT_EQ(child<StatusPanel>("TotalTspSkinStatusPanel")->text(),
              QStringLiteral("Total URLs: 51"));
    ASSERT_TRUE(waitForRunEnd());
    watcher.stop();

    EXPECT_EQ(desktop.messages, QStringList{QString::fromLatin1(kRunCompleted)});
    EXPECT_EQ(child<QPushButton>("spSkinSpeedButton1")->text(), QStringLiteral("Start"));
    EXPECT_LE(site.peak(), 5);
    EXPECT_LE(worstThreads, 5);
    EXPECT_GE(site.peak(), 2);
    EXPECT_TRUE(progressTexts.contains(QStringLiteral("Urls 0/51")));
    EXPECT_EQ(child<StatusPanel>("TotalTspSkinStatusPanel")->text(), QStringLiteral("Urls 51/51"));

    // One row per non-blank line, in list order.
    ASSERT_EQ(form.results()->rowCount(), 50);
    int expectedFound = 0;
    for (int i = 0; i < 48; ++i) {
        const bool links = i % 3 == 0;
        expectedFound += links;
        EXPECT_EQ(cell(i, UrlColumn), site.server.url("/p" + QByteArray::number(i)));
        EXPECT_EQ(cell(i, FoundColumn),
                  links ? QStringLiteral("Found") : QStringLiteral("Not Found"));
        EXPECT_EQ(cell(i, AnchorTextColumn), links ? QStringLiteral("Our site") : QString());
        EXPECT_EQ(cell(i, UrlFoundColumn),
                  links ? QStringLiteral("https://www.site.example/") : QString());
        EXPECT_EQ(cell(i, StatusColumn), QStringLiteral("OK"));
        EXPECT_EQ(cell(i, FileSizeColumn), QString::number(links ? kLinking.size() : 9));
        EXPECT_FALSE(cell(i, DateCheckedColumn).isEmpty());
        EXPECT_EQ(image(i), links ? ImageFound : ImageNotFound);
    }
    EXPECT_EQ(cell(48, StatusColumn), QStringLiteral("HTTP 404"));
    EXPECT_EQ(cell(48, FoundColumn), QStringLiteral("Found"));
    EXPECT_EQ(cell(49, StatusColumn), QStringLiteral("Cannot open URL"));
    EXPECT_EQ(image(49), ImageNotFound);
    ++expectedFound;
    EXPECT_EQ(form.scheduler().state().found_count, expectedFound);
    EXPECT_EQ(form.scheduler().state().not_found_count, 50 - expectedFound);
    // The last tick before the end may run before the last report; both shares add up.
    EXPECT_TRUE(child<StatusPanel>("FoundTspSkinStatusPanel")
                    ->text()
                    .contains(QStringLiteral(" Found URLs (")));
    EXPECT_EQ(child<GaugeWidget>("spSkinGauge1")->text(), QStringLiteral("Progress...100%"));

    // The completion message comes once only.
    waitUntil([] { return false; }, std::chrono::milliseconds(60));
    EXPECT_EQ(desktop.messages.size(), 1);
}

// Many workers, few sites: each site gets at most its limit at once, reads its robots.txt once,
// and a bot check's page or a disallowed page is told apart from the page itself.
TEST_F(RunWindow, EachSiteGetsAtMostItsLimitAndIsReadAsItAsks)
{
    std::array<SlowSite, 3> sites;
    child<QAction>("N500Threads3")->trigger();
    child<QAction>("N4perSite1")->trigger();
    QStringList lines;
    for (int i = 0; i < 90; ++i) {
        lines << sites[i % 3].page("/p" + QByteArray::number(i), kLinking, 300);
    }
    sites[0].page("/robots.txt", "User-agent: *\nDisallow: /private\n", 0, 200, {});
    lines << sites[0].page("/private", kLinking, 0)
          << sites[1].page("/wall",
                           "<title>Just a moment...</title><meta name=robots "
                           "content=noindex>" +
                               kLinking,
                           0, 403, {"cf-mitigated: challenge"});
    setPages(lines);
    websiteEdit()->setText(QStringLiteral("site.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitForRunEnd());

    for (const SlowSite &site : sites) {
        EXPECT_EQ(site.peak(), 4);
        EXPECT_EQ(site.requestsFor("/robots.txt"), 1);
    }
    ASSERT_EQ(form.results()->rowCount(), 92);
    for (int i = 0; i < 90; ++i) {
        EXPECT_EQ(cell(i, UrlColumn), sites[i % 3].server.url("/p" + QByteArray::number(i)));
        EXPECT_EQ(cell(i, StatusColumn), QStringLiteral("OK"));
        EXPECT_EQ(cell(i, RobotsColumn), QString());
    }
    EXPECT_EQ(testing::rowTexts(*form.results(), 90).mid(FoundColumn),
              (QStringList{"Found", "Weak", "Our site", "https://www.site.example/", "OK",
                           QString::number(kLinking.size()), cell(90, DateCheckedColumn),
                           "dofollow", "disallowed", ""}));
    EXPECT_EQ(testing::rowTexts(*form.results(), 91).mid(FoundColumn),
              (QStringList{"Not Found", "Unverified", "", "", "Blocked (bot check)", "0",
                           cell(91, DateCheckedColumn), "", "", ""}));
}

// A site that asks for a pause gets no request from any row until the pause is over.
TEST_F(RunWindow, ASiteThatAsksForAPauseGetsNoRequestMeanwhile)
{
    SlowSite site;
    child<QAction>("N1perSite1")->trigger();
    auto asked = std::make_shared<std::atomic<bool>>(false);
    site.server.handle("/busy", [asked](test::HttpConnection &c) {
        if (asked->exchange(true)) {
            c.respond(200, {}, kLinking);
        } else {
            c.respond(429, {"Retry-After: 1"}, "slow down");
        }
    });
    setPages({site.server.url("/busy"), site.page("/next", kLinking, 0)});
    websiteEdit()->setText(QStringLiteral("site.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitForRunEnd());

    EXPECT_EQ(cell(0, StatusColumn), QStringLiteral("OK"));
    EXPECT_EQ(cell(1, StatusColumn), QStringLiteral("OK"));
    const auto arrivals = site.server.arrivals();
    ASSERT_EQ(arrivals.size(), 4); // robots.txt, the 429, then both pages
    EXPECT_EQ(arrivals[1].target, "/busy");
    EXPECT_GE(arrivals[2].at - arrivals[1].at, std::chrono::seconds(1));
}

TEST_F(RunWindow, StartRefusesMissingInputsAndTouchesNothing)
{
    struct Case
    {
        QString pages, target, message;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("site.example"), QString::fromLatin1(kUrlListEmpty)},
        {QStringLiteral("Paste your URLs here"), QStringLiteral("site.example"),
         QString::fromLatin1(kUrlListEmpty)},
        {QStringLiteral("http://a.example/"), QStringLiteral("example.com"),
         QString::fromLatin1(kEnterWebsite)},
        {QStringLiteral("http://a.example/"), QStringLiteral("Your Content"),
         QString::fromLatin1(kEnterContent)},
    };
    form.results()->appendRow(QStringLiteral("earlier row"));
    for (const Case &c : cases) {
        desktop.messages.clear();
        pagesMemo()->setPlainText(c.pages);
        websiteEdit()->setText(c.target);
        child<QPushButton>("spSkinSpeedButton1")->click();
        EXPECT_EQ(desktop.messages, QStringList{c.message});
        EXPECT_FALSE(form.scheduler().isRunning());
        EXPECT_EQ(child<QPushButton>("spSkinSpeedButton1")->text(), QStringLiteral("Start"));
        EXPECT_EQ(form.results()->rowCount(), 1);
    }
    // The placeholder with a second line is a list; a capitalised placeholder is a target.
    pagesMemo()->setPlainText(QStringLiteral("Paste your URLs here\n"));
    websiteEdit()->setText(QStringLiteral("Example.com"));
    desktop.messages.clear();
    child<QPushButton>("spSkinSpeedButton1")->click();
    EXPECT_TRUE(form.scheduler().isRunning());
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(form.results()->rowCount(), 1);
    EXPECT_EQ(cell(0, StatusColumn), QStringLiteral("Cannot open URL"));
}

// Started with Ctrl+Enter from the page list and stopped with F5 from the results list: those
// keys press Start (Stop during a run) wherever the focus is, and type nothing.
// Stop: the transfer under way finishes; every check still waiting ends at once as "Stopped" and
// counts, and a Start right after it queues behind nothing of the stopped run.
TEST_F(RunWindow, StopEndsEveryWaitingCheckAtOnceAndTheTransferUnderWayFinishes)
{
    SlowSite site;
    child<QAction>("N500Threads3")->trigger();
    child<QAction>("N1perSite1")->trigger();
    auto release = std::make_shared<std::atomic<bool>>(false);
    site.server.handle("/p0", [release](test::HttpConnection &c) {
        while (!release->load() && c.pause(std::chrono::milliseconds(10))) {
        }
        c.respond(200, {"Content-Type: text/html"}, kLinking);
    });
    QStringList lines{site.server.url("/p0")};
    for (int i = 1; i < 20; ++i) {
        lines << site.page("/p" + QByteArray::number(i), kLinking, 0);
    }
    setPages(lines);
    websiteEdit()->setText(QStringLiteral("site.example"));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    pagesMemo()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(pagesMemo(), Qt::Key_Return, Qt::ControlModifier);
    // One transfer runs; the Threads panel's tooltip says what the others wait for.
    const QString split = QStringLiteral("20 threads: 1 fetching, 19 waiting for their sites");
    EXPECT_TRUE(waitUntil([&] {
        return child<StatusPanel>("ThreadsTspSkinStatusPanel")->toolTip() == split &&
               cell(19, AnchorTextColumn) == QLatin1String("Waiting for site...");
    }));

    resultsList()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(resultsList(), Qt::Key_F5);
    EXPECT_EQ(child<QPushButton>("spSkinSpeedButton1")->text(), QStringLiteral("Start"));
    // The waiting checks end while the transfer under way still runs.
    ASSERT_TRUE(waitUntil([] { return no_threads.load() == 1; }));
    waitUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(cell(0, FoundColumn), QStringLiteral("Searching..."));
    EXPECT_EQ(testing::rowTexts(*form.results(), 19).mid(FoundColumn, 5),
              (QStringList{"Not Found", "Unverified", "", "", "Stopped"}));
    EXPECT_EQ(form.scheduler().state().not_found_count, 19);
    EXPECT_EQ(child<StatusPanel>("NotFoundTspSkinStatusPanel")->text(),
              QStringLiteral("19 Not Found URLs (100.00 %)"));
    child<QAction>("SelectFailedRows1")->trigger();
    EXPECT_EQ(resultsList()->selectionModel()->selectedRows().size(), 19);
    EXPECT_FALSE(resultsList()->selectionModel()->isRowSelected(0));

    // The new run's page goes out as soon as the transfer under way ends.
    setPages({site.page("/next", kLinking, 0)});
    QTest::keyClick(resultsList(), Qt::Key_F5);
    release->store(true);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(cell(0, StatusColumn), QStringLiteral("OK"));
    QList<QByteArray> targets;
    for (const auto &arrival : site.server.arrivals()) {
        targets << arrival.target;
    }
    EXPECT_EQ(targets, (QList<QByteArray>{"/robots.txt", "/p0", "/robots.txt", "/next"}));
    EXPECT_EQ(desktop.messages, QStringList{QString::fromLatin1(kRunCompleted)});
}

// Check Again: the selected finished rows are checked again where they stand, the others keep
// their cells; refused while a run is under way.
TEST_F(RunWindow, CheckAgainRedoesTheSelectedRowsInPlace)
{
    SlowSite site;
    auto tries = std::make_shared<std::atomic<int>>(0);
    site.server.handle("/flaky", [tries](test::HttpConnection &c) {
        c.respond(tries->fetch_add(1) == 0 ? 500 : 200, {}, kLinking);
    });
    const QStringList lines{site.page("/a", kLinking, 0), site.server.url("/flaky"),
                            site.page("/slow", kLinking, 400)};
    setPages(lines);
    websiteEdit()->setText(QStringLiteral("site.example"));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const QAction *again = child<QAction>("CheckSelectedRowsAgain1");
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitUntil([&] { return form.results()->rowCount() == 3; }));
    child<QAction>("Selectall1")->trigger();
    resultsList()->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(again->isEnabled());
    QTest::keyClick(resultsList(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(cell(1, StatusColumn), QStringLiteral("HTTP 500"));
    const QStringList first = testing::rowTexts(*form.results(), 0);
    const QStringList last = testing::rowTexts(*form.results(), 2);

    child<QAction>("SelectFailedRows1")->trigger();
    EXPECT_TRUE(again->isEnabled());
    QTest::keyClick(resultsList(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(cell(1, FoundColumn), QStringLiteral("Searching..."));
    EXPECT_EQ(image(1), ImagePending);
    EXPECT_FALSE(again->isEnabled());
    ASSERT_TRUE(waitForRunEnd());

    EXPECT_EQ(testing::rowTexts(*form.results(), 0), first);
    EXPECT_EQ(testing::rowTexts(*form.results(), 2), last);
    EXPECT_EQ(cell(1, StatusColumn), QStringLiteral("OK"));
    EXPECT_EQ(form.scheduler().state().found_count, 3);
    EXPECT_EQ(form.scheduler().state().not_found_count, 0);
    EXPECT_EQ(desktop.messages, QStringList(2, QString::fromLatin1(kRunCompleted)));
    EXPECT_EQ(pagesMemo()->toPlainText(), lines.join(u'\n'));
    EXPECT_EQ(tries->load(), 2); // the key did nothing during the run
    EXPECT_EQ(site.requestsFor("/robots.txt"), 2);
}

// Start after Stop while the old run's workers still fetch: their late reports touch no row of
// the new run and do not count in it.
TEST_F(RunWindow, ANewRunIgnoresReportsOfTheStoppedOne)
{
    SlowSite site;
    QStringList slow;
    for (int i = 0; i < 10; ++i) {
        slow << site.page("/slow" + QByteArray::number(i), kLinking, 400);
    }
    setPages(slow);
    websiteEdit()->setText(QStringLiteral("site.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitUntil([&] { return form.results()->rowCount() >= 4; }));
    child<QPushButton>("spSkinSpeedButton1")->click(); // Stop
    ASSERT_GT(no_threads.load(), 0);

    setPages({site.page("/fast", "<p>nothing</p>", 0)});
    child<QPushButton>("spSkinSpeedButton1")->click(); // Start again
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(form.results()->rowCount(), 1);
    EXPECT_EQ(cell(0, FoundColumn), QStringLiteral("Not Found"));
    EXPECT_EQ(form.scheduler().state().found_count, 0);
    EXPECT_EQ(form.scheduler().state().not_found_count, 1);
    EXPECT_EQ(desktop.messages.size(), 1);
}

TEST_F(RunWindow, ChangesDuringARunReachOnlyLaterRows)
{
    SlowSite site;
    child<QAction>("N5Threads2")->trigger();
    const QByteArray both =
        "<a href='https://alpha.example/'>A</a><a href='https://beta.example/'>B</a>";
    QStringList lines;
    for (int i = 0; i < 4; ++i) {
        lines << site.page("/p" + QByteArray::number(i), both, 60);
    }
    setPages(lines);
    websiteEdit()->setText(QStringLiteral("alpha.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitUntil([&] { return form.results()->rowCount() >= 2; }));
    websiteEdit()->setText(QStringLiteral("beta.example"));
    const int alphaRows = form.results()->rowCount();
    // Lines added during the run are dispatched in it.
    pagesMemo()->appendPlainText(site.page("/late", both, 0));
    ASSERT_TRUE(waitForRunEnd());

    ASSERT_EQ(form.results()->rowCount(), 5);
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(cell(row, AnchorTextColumn),
                  row < alphaRows ? QStringLiteral("A") : QStringLiteral("B"))
            << row;
    }
    EXPECT_EQ(cell(4, UrlColumn), site.server.url("/late"));
}

// A list shortened below the lines already taken still ends, with one message.
TEST_F(RunWindow, ARunWhoseListWasShortenedEnds)
{
    SlowSite site;
    child<QAction>("N5Threads2")->trigger();
    setPages({site.page("/a", kLinking, 150), site.page("/b", kLinking, 150),
              site.page("/c", kLinking, 150)});
    websiteEdit()->setText(QStringLiteral("site.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitUntil([&] { return form.results()->rowCount() == 3; }));
    pagesMemo()->setPlainText(site.server.url("/a"));
    ASSERT_TRUE(waitForRunEnd());
    waitUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(desktop.messages, QStringList{QString::fromLatin1(kRunCompleted)});
    EXPECT_EQ(form.scheduler().state().found_count, 3);
}

// When the platform refuses a thread the row says so, counts as not found, and the run goes on.
TEST_F(RunWindow, ARefusedWorkerThreadFailsItsRowOnly)
{
    SlowSite site;
    int attempts = 0;
    form.scheduler().services().startWorker = [&attempts](std::unique_ptr<TMyThread> worker) {
        return ++attempts != 2 && TMyThread::Start(std::move(worker));
    };
    setPages(
        {site.page("/a", kLinking, 0), site.page("/b", kLinking, 0), site.page("/c", kLinking, 0)});
    websiteEdit()->setText(QStringLiteral("site.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(cell(1, FoundColumn), QStringLiteral("Not Found"));
    EXPECT_EQ(cell(1, StatusColumn), QStringLiteral("Cannot start worker"));
    EXPECT_EQ(image(1), ImageNotFound);
    EXPECT_EQ(cell(2, FoundColumn), QStringLiteral("Found"));
    EXPECT_EQ(form.scheduler().state().found_count, 2);
    EXPECT_EQ(form.scheduler().state().not_found_count, 1);
    EXPECT_EQ(no_threads.load(), 0);
    EXPECT_EQ(desktop.messages.size(), 1);
}

TEST_F(RunWindow, BlankListEndsWithoutRows)
{
    setPages({QStringLiteral(" "), QString(), QStringLiteral("\t")});
    websiteEdit()->setText(QStringLiteral("site.example"));
    child<QPushButton>("spSkinSpeedButton1")->click();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(form.results()->rowCount(), 0);
    EXPECT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(child<StatusPanel>("FoundTspSkinStatusPanel")->text(),
              QStringLiteral("Found 0 (0%)")); // no share yet
}

TEST_F(RunWindow, SettingsMenusMarkAndApplyTheirChoice)
{
    auto *threads10 = child<QAction>("N10Threads2");
    auto *threads500 = child<QAction>("N500Threads3");
    auto *timeOut30 = child<QAction>("imeOut30s1");
    EXPECT_TRUE(threads10->isChecked());
    EXPECT_TRUE(timeOut30->isChecked());
    EXPECT_EQ(form.scheduler().state().max_no_threads, 10);
    EXPECT_EQ(child<StatusPanel>("ThreadsTspSkinStatusPanel")->text(),
              QStringLiteral("Threads 0/10"));
    EXPECT_EQ(child<StatusPanel>("TimeOutTspSkinStatusPanel")->text(),
              QStringLiteral("Time Out 30s"));
    EXPECT_EQ(form.scheduler().state().time_out, 30000);

    threads500->trigger();
    EXPECT_TRUE(threads500->isChecked());
    EXPECT_FALSE(threads10->isChecked());
    EXPECT_EQ(child<StatusPanel>("ThreadsTspSkinStatusPanel")->text(),
              QStringLiteral("Threads 0/500"));
    threads500->trigger(); // the marked item again: mark gone, value kept
    EXPECT_FALSE(threads500->isChecked());
    EXPECT_EQ(form.scheduler().state().max_no_threads, 500);

    child<QAction>("imeOut2min1")->trigger();
    EXPECT_EQ(form.scheduler().state().time_out, 120000);
    EXPECT_EQ(child<StatusPanel>("TimeOutTspSkinStatusPanel")->text(),
              QStringLiteral("Time Out 2 min"));

    // Waiting ticks and reports run before a settings menu shows.
    bool ran = false;
    QTimer::singleShot(0, &form, [&ran] { ran = true; });
    emit child<QMenu>("ThreadsTspSkinPopupMenu")->aboutToShow();
    EXPECT_TRUE(ran);

    QStringList captions;
    for (QAction *item : child<QMenu>("ThreadsTspSkinPopupMenu")->actions()) {
        captions << item->text() + u'=' + item->data().toString();
    }
    EXPECT_EQ(captions.first(), QStringLiteral("5 Threads=5"));
    EXPECT_EQ(captions[15], QStringLiteral("500 Threads=500"));
    EXPECT_EQ(captions.last(), QStringLiteral("No Site Limit=0"));
    EXPECT_EQ(captions.size(), 16 + 1 + 7);
    QStringList timeOuts;
    for (QAction *item : child<QMenu>("TimeOutTspSkinPopupMenu")->actions()) {
        timeOuts << item->text() + u'=' + item->data().toString();
    }
    EXPECT_EQ(timeOuts,
              (QStringList{"Time Out 5s=5000", "Time Out 10s=10000", "Time Out 30s=30000",
                           "Time Out 40s=40000", "Time Out 50s=50000", "Time Out 1 min=60000",
                           "Time Out 2 min=120000", "Time Out 5 min=300000"}));
}

// Every choice reaches the run with the value it carries, marks itself alone, and chosen again
// loses its mark but keeps its value.
TEST_F(RunWindow, EverySettingsChoiceReachesTheRun)
{
    const QList<QAction *> threads = child<QAction>("N5Threads2")->actionGroup()->actions();
    const QList<QAction *> perSite = child<QAction>("N1perSite1")->actionGroup()->actions();
    const QList<QAction *> timeOuts = child<QMenu>("TimeOutTspSkinPopupMenu")->actions();
    const auto marked = [](const QList<QAction *> &items) {
        QStringList names;
        for (const QAction *item : items) {
            if (item->isChecked()) {
                names << item->objectName();
            }
        }
        return names;
    };
    for (QAction *item : threads) {
        SCOPED_TRACE(item->objectName().toStdString());
        const int limit = item->data().toInt();
        ASSERT_GT(limit, 0);
        item->trigger();
        EXPECT_EQ(form.scheduler().state().max_no_threads, limit);
        EXPECT_EQ(child<StatusPanel>("ThreadsTspSkinStatusPanel")->text(),
                  QStringLiteral("Threads 0/%1").arg(limit));
        EXPECT_EQ(marked(threads), QStringList{item->objectName()});
        item->trigger();
        EXPECT_EQ(marked(threads), QStringList());
        EXPECT_EQ(form.scheduler().state().max_no_threads, limit);
    }
    for (QAction *item : perSite) {
        SCOPED_TRACE(item->objectName().toStdString());
        item->trigger();
        EXPECT_EQ(SiteGate::shared().limit(), item->data().toInt());
        EXPECT_EQ(marked(perSite), QStringList{item->objectName()});
        item->trigger();
        EXPECT_EQ(marked(perSite), QStringList());
        EXPECT_EQ(SiteGate::shared().limit(), item->data().toInt());
    }
    // The site limit leaves the Threads panel as the worker limit left it.
    EXPECT_EQ(child<StatusPanel>("ThreadsTspSkinStatusPanel")->text(),
              QStringLiteral("Threads 0/500"));
    for (QAction *item : timeOuts) {
        SCOPED_TRACE(item->objectName().toStdString());
        const int milliseconds = item->data().toInt();
        ASSERT_GT(milliseconds, 0);
        item->trigger();
        EXPECT_EQ(form.scheduler().state().time_out, milliseconds);
        EXPECT_EQ(child<StatusPanel>("TimeOutTspSkinStatusPanel")->text(), item->text());
        EXPECT_EQ(marked(timeOuts), QStringList{item->objectName()});
        item->trigger();
        EXPECT_EQ(marked(timeOuts), QStringList());
        EXPECT_EQ(form.scheduler().state().time_out, milliseconds);
    }
}

} // namespace
} // namespace orvane
