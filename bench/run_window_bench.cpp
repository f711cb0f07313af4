// Whole runs in the real main window: 2,000 pages from a local server that answers each after
// 50 ms, at 10, 100 and 500 workers. Prints pages per second against the dispatch limit, peak and
// final memory, the longest stalls of the GUI thread seen by a 1 ms timer and by the dispatch
// timer itself, and what the GUI thread spent its time on.
// "sites" instead runs 2,000 pages answered after 200 ms at 500 workers with at most 6 transfers
// per site, once spread over 20 local servers and once on one, and also prints the most requests
// each server held at once.
// "heavy" runs heavy pages at 500 workers with no per-site limit, each served at about 1.3 MB/s:
// 300 pages of 8 MiB, then 500 at the 16 MiB size cap, each once with the memory budget lifted
// and once with the budget the machine gets; it prints the peak memory and time of both.
// "heavy PAGES MIB" runs that one case (e.g. scaled down) the same two ways.
//   run_window_bench [10|100|500|sites|heavy [PAGES MIB]]    (no argument: 10, 100 and 500)
#include "engine/page_budget.h"
#include "engine/page_fetcher.h"
#include "engine/site_gate.h"
#include "engine/worker_counters.h"
#include "run/desktop_seams.h"
#include "run/results_model.h"
#include "run/run_scheduler.h"
#include "support/named_child.h"
#include "support/process_memory.h"
#include "support/test_http_server.h"
#include "ui/orvane_form.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace orvane;

namespace {

using orvane::test::loadAverage;
using orvane::test::namedChild;
using orvane::test::resetPeakMemory;
using orvane::test::statusKb;

constexpr int kPages = 2000;
constexpr int kAnswerMs = 50;
// The per-site runs: slow enough that the per-site limit, not dispatch, would bound one site.
constexpr int kSlowAnswerMs = 200;
constexpr int kRunLimitMs = 600000;

// The message box, without the box: records the texts and says when the run ended.
class RecordingSink final : public MessageSink
{
public:
    void information(const QString &text) override
    {
        texts << text;
        if (text.startsWith(QLatin1String("The search process was completed")) && loop != nullptr) {
            loop->quit();
        }
    }
    QStringList texts;
    QEventLoop *loop = nullptr;
};

// Gaps between consecutive calls of tick(): the largest, when it ended, and how many exceeded
// `longGapMs`.
class GapMeter
{
public:
    explicit GapMeter(int longGapMs) : m_longGap(qint64{longGapMs} * 1'000'000) {}
    void start() { m_clock.start(); }
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_ticks > 0) {
            const qint64 gap = now - m_last;
            if (gap > m_largest) {
                m_largest = gap;
                m_largestAt = now;
            }
            m_long += gap > m_longGap ? 1 : 0;
        }
        m_last = now;
        ++m_ticks;
    }
    double largestMs() const { return static_cast<double>(m_largest) / 1e6; }
    double largestAtS() const { return static_cast<double>(m_largestAt) / 1e9; }
    long long ticks() const { return m_ticks; }
    long long longGaps() const { return m_long; }

private:
    qint64 m_longGap;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_largest = 0;
    qint64 m_largestAt = 0;
    long long m_ticks = 0;
    long long m_long = 0;
};

// The 1 ms timer on an idle GUI thread: what the timer gives without any run.
void printIdleBaseline()
{
    GapMeter idle(5);
    QTimer heartbeat;
    heartbeat.setObjectName(QStringLiteral("benchHeartbeat"));
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&idle] { idle.tick(); });
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    idle.start();
    heartbeat.start();
    loop.exec();
    std::printf("idle window, 2 s: 1 ms timer ticked %lld times, longest gap %.2f ms, "
                "gaps over 5 ms %lld\n",
                idle.ticks(), idle.largestMs(), idle.longGaps());
}

// "Class objectName", or the class alone for an unnamed object.
std::string labelOf(const QObject *object)
{
    std::string label = object->metaObject()->className();
    if (!object->objectName().isEmpty()) {
        label += " " + object->objectName().toStdString();
    }
    return label;
}

// Times every event the GUI thread's loop hands out (the outermost only, nested sends are part of
// their caller), by event type and receiver, so a stall can be put down to what caused it.
class TimingApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    struct Kind
    {
        qint64 totalNs = 0;
        qint64 longestNs = 0;
        long long count = 0;
        qint64 pixels = 0;
    };

    void startRecording()
    {
        m_kinds.clear();
        m_paints.clear();
        m_longestNs = 0;
        m_longestLabel.clear();
        m_recording = true;
    }
    void stopRecording() { m_recording = false; }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!m_recording || QThread::currentThread() != thread()) {
            return QApplication::notify(receiver, event);
        }
        if (m_depth > 0) {
            if (event->type() != QEvent::Paint) {
                ++m_depth;
                const bool result = QApplication::notify(receiver, event);
                --m_depth;
                return result;
            }
            // Paints nest inside the window's update request: kept apart, per widget.
            const std::string name = labelOf(receiver);
            const QRect area = static_cast<QPaintEvent *>(event)->rect();
            QElapsedTimer clock;
            clock.start();
            ++m_depth;
            const bool result = QApplication::notify(receiver, event);
            --m_depth;
            Kind &paint = m_paints[name];
            paint.totalNs += clock.nsecsElapsed();
            ++paint.count;
            paint.pixels += qint64{area.width()} * area.height();
            return result;
        }
        // Read before dispatch: the receiver or the event may be gone afterwards.
        const QEvent::Type type = event->type();
        const std::string receiverLabel = labelOf(receiver);
        QElapsedTimer clock;
        clock.start();
        ++m_depth;
        const bool result = QApplication::notify(receiver, event);
        --m_depth;
        const qint64 ns = clock.nsecsElapsed();
        const char *typeName = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
        const std::string label =
            std::string(typeName != nullptr ? typeName : "event") + " -> " + receiverLabel;
        Kind &kind = m_kinds[label];
        kind.totalNs += ns;
        kind.longestNs = std::max(kind.longestNs, ns);
        ++kind.count;
        if (ns > m_longestNs) {
            m_longestNs = ns;
            m_longestLabel = label;
        }
        return result;
    }

    void print(double runSeconds, int top) const
    {
        qint64 busyNs = 0;
        std::vector<std::pair<std::string, Kind>> kinds(m_kinds.begin(), m_kinds.end());
        for (const auto &entry : kinds) {
            busyNs += entry.second.totalNs;
        }
        std::sort(kinds.begin(), kinds.end(),
                  [](const auto &a, const auto &b) { return a.second.totalNs > b.second.totalNs; });
        std::printf("  GUI thread in events %.2f s of %.2f s (%.1f%%); longest event %.2f ms: %s\n",
                    static_cast<double>(busyNs) / 1e9, runSeconds,
                    100.0 * static_cast<double>(busyNs) / 1e9 / runSeconds,
                    static_cast<double>(m_longestNs) / 1e6, m_longestLabel.c_str());
        for (int i = 0; i < top && i < static_cast<int>(kinds.size()); ++i) {
            const Kind &kind = kinds[static_cast<std::size_t>(i)].second;
            std::printf("    %7.3f s  %6lld x  longest %6.2f ms  %s\n",
                        static_cast<double>(kind.totalNs) / 1e9, kind.count,
                        static_cast<double>(kind.longestNs) / 1e6,
                        kinds[static_cast<std::size_t>(i)].first.c_str());
        }
        std::vector<std::pair<std::string, Kind>> paints(m_paints.begin(), m_paints.end());
        std::sort(paints.begin(), paints.end(),
                  [](const auto &a, const auto &b) { return a.second.totalNs > b.second.totalNs; });
        std::printf("  paint events by widget (time, count, area of the paint rect):\n");
        for (int i = 0; i < top && i < static_cast<int>(paints.size()); ++i) {
            const Kind &paint = paints[static_cast<std::size_t>(i)].second;
            std::printf("    %7.3f s  %6lld x  %7.0f px each  %s\n",
                        static_cast<double>(paint.totalNs) / 1e9, paint.count,
                        static_cast<double>(paint.pixels) / static_cast<double>(paint.count),
                        paints[static_cast<std::size_t>(i)].first.c_str());
        }
    }

private:
    std::map<std::string, Kind> m_kinds;
    std::map<std::string, Kind> m_paints;
    qint64 m_longestNs = 0;
    std::string m_longestLabel;
    bool m_recording = false;
    int m_depth = 0;
};

QByteArray pageBody(int index)
{
    QByteArray body = "<html><head><title>Page " + QByteArray::number(index) +
                      "</title></head><body><p>Some text about page " + QByteArray::number(index) +
                      ".</p><a href=\"https://other.example/\">Other</a>";
    if (index % 3 == 0) {
        body += "<p>Friends: <a href=\"https://www.site.example/\">Site</a></p>";
    }
    body += "</body></html>";
    return body;
}

// One run: the worker setting, and where and how slowly the pages are served. Page i lives on site
// i % sites, each site being its own server (port).
struct RunCase
{
    int workers;
    const char *menuItem;
    int sites = 1;
    int answerMs = kAnswerMs;
    // The per-site limit and the menu item choosing it; none for the plain runs.
    int perSite = 0;
    const char *perSiteItem = nullptr;
    int pages = kPages;
    // Heavy pages: every page is this many bytes (the same body), sent in 64 KiB pieces 50 ms
    // apart, at about 1.3 MB/s.
    qsizetype pageBytes = 0;
};

constexpr qsizetype kPieceBytes = qsizetype{64} * 1024;
constexpr int kPieceGapMs = 50;

// One body for every heavy page, shared by all handlers: the server holds it once.
QByteArray heavyBody(qsizetype bytes)
{
    QByteArray body = pageBody(0);
    body.insert(body.indexOf("</body>"), QByteArray(bytes - body.size(), 'x'));
    return body;
}

bool runOnce(TimingApplication &app, TOrvaneTForm &form, RecordingSink &sink, const RunCase &run)
{
    const int workers = run.workers;
    const int answerMs = run.answerMs;
    // Not movable, hence the pointers.
    std::vector<std::unique_ptr<test::TestHttpServer>> servers;
    servers.reserve(static_cast<std::size_t>(run.sites));
    for (int site = 0; site < run.sites; ++site) {
        servers.push_back(std::make_unique<test::TestHttpServer>());
    }
    const int pages = run.pages;
    QStringList lines;
    lines.reserve(pages);
    int expectedFound = 0;
    const QByteArray heavy = run.pageBytes > 0 ? heavyBody(run.pageBytes) : QByteArray();
    for (int i = 0; i < pages; ++i) {
        test::TestHttpServer &server = *servers[static_cast<std::size_t>(i % run.sites)];
        const QByteArray target = "/p" + QByteArray::number(i);
        if (run.pageBytes > 0) {
            ++expectedFound;
            server.handle(target, [heavy](test::HttpConnection &connection) {
                const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                        "Content-Length: " +
                                        QByteArray::number(heavy.size()) + "\r\n\r\n";
                if (connection.send(head)) {
                    connection.sendInPieces(
                        heavy, QList<qsizetype>(heavy.size() / kPieceBytes, kPieceBytes),
                        std::chrono::milliseconds(kPieceGapMs));
                }
            });
        } else {
            const QByteArray body = pageBody(i);
            expectedFound += i % 3 == 0 ? 1 : 0;
            server.handle(target, [body, answerMs](test::HttpConnection &connection) {
                if (connection.pause(std::chrono::milliseconds(answerMs))) {
                    connection.respond(200, {"Content-Type: text/html"}, body);
                }
            });
        }
        lines << server.url(target);
    }

    namedChild<QAction>(form, run.menuItem)->trigger();
    // Looked up leniently: builds without the per-site limit are measured too.
    QAction *perSiteAction = run.perSiteItem != nullptr
                                 ? form.findChild<QAction *>(QLatin1String(run.perSiteItem))
                                 : nullptr;
    // Choosing the marked item again would take its mark away (the value would stay).
    if (perSiteAction != nullptr && !perSiteAction->isChecked()) {
        perSiteAction->trigger();
    }
    namedChild<QPlainTextEdit>(form, "LinksTspSkinMemo")
        ->setPlainText(lines.join(QLatin1Char('\n')));
    namedChild<QLineEdit>(form, "WebsiteTspSkinEdit")->setText(QStringLiteral("site.example"));

    // Workers of an earlier run must be gone, or they would count against the limit.
    for (int waited = 0; no_threads.load() != 0 && waited < 10000; waited += 10) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    if (no_threads.load() != 0) {
        std::printf("workers=%d: %d workers still alive before the run\n", workers,
                    no_threads.load());
        return false;
    }
    QCoreApplication::processEvents();
    PageBudget::shared().resetHighWater();
    const bool peakReset = resetPeakMemory();
    const std::string loadBefore = loadAverage();

    QEventLoop loop;
    sink.texts.clear();
    sink.loop = &loop;

    GapMeter gui(5);
    GapMeter dispatch(2 * RunScheduler::kTickMs);
    int liveWorkersPeak = 0;
    QTimer heartbeat;
    heartbeat.setObjectName(QStringLiteral("benchHeartbeat"));
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&gui, &liveWorkersPeak] {
        gui.tick();
        liveWorkersPeak = std::max(liveWorkersPeak, no_threads.load());
    });
    const QMetaObject::Connection dispatchWatch =
        QObject::connect(namedChild<QTimer>(form, "StartTTimer"), &QTimer::timeout,
                         [&dispatch] { dispatch.tick(); });
    QTimer limit;
    limit.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&limit, &QTimer::timeout, [&] {
        timedOut = true;
        loop.quit();
    });

    gui.start();
    dispatch.start();
    heartbeat.start();
    limit.start(kRunLimitMs);
    app.startRecording();
    QElapsedTimer elapsed;
    elapsed.start();
    namedChild<QPushButton>(form, "spSkinSpeedButton1")->click();
    const qint64 startNs = elapsed.nsecsElapsed();
    if (sink.texts.isEmpty()) {
        loop.exec();
    }
    const qint64 elapsedNs = elapsed.nsecsElapsed();
    app.stopRecording();
    heartbeat.stop();
    limit.stop();
    QObject::disconnect(dispatchWatch);
    sink.loop = nullptr;

    if (timedOut) {
        namedChild<QPushButton>(form, "spSkinSpeedButton1")->click(); // Stop
    }
    const long peakKb = statusKb("VmHWM");
    const long rssKb = statusKb("VmRSS");

    ResultsModel &results = *form.results();
    int okRows = 0;
    for (int row = 0; row < results.rowCount(); ++row) {
        okRows += results.cellText(row, StatusColumn) == QLatin1String("OK") ? 1 : 0;
    }
    const double seconds = static_cast<double>(elapsedNs) / 1e9;
    const double pagesPerSecond = pages / seconds;
    const double answerSeconds = answerMs / 1000.0;
    double limitPerSecond = std::min(100.0, workers / answerSeconds);
    if (run.perSite > 0) {
        limitPerSecond = std::min(limitPerSecond, run.sites * run.perSite / answerSeconds);
    }
    const double expectedTicks = seconds * 1000.0 / RunScheduler::kTickMs;

    std::string label = "workers=" + std::to_string(workers);
    if (run.pageBytes > 0) {
        label += ", " + std::to_string(pages) + " pages of " + std::to_string(run.pageBytes) +
                 " bytes on " + std::to_string(run.sites) + " sites, no per-site limit";
    } else if (run.perSiteItem != nullptr) {
        label += ", " + std::to_string(run.sites) + (run.sites == 1 ? " site" : " sites") +
                 ", pages answered after " + std::to_string(answerMs) + " ms, per-site limit " +
                 std::to_string(run.perSite);
    }
    std::printf("%s%s  (load average %s before, %s after)\n", label.c_str(),
                timedOut ? "  (TIMED OUT)" : "", loadBefore.c_str(), loadAverage().c_str());
    if (run.perSiteItem != nullptr) {
        if (perSiteAction == nullptr) {
            std::printf("  no per-site limit in this build\n");
        } else {
            std::printf("  per-site limit chosen through %s (%s)\n", run.perSiteItem,
                        perSiteAction->isChecked() ? "checked" : "NOT checked");
        }
    }
    std::printf("  time %.3f s, %.2f pages/s, limit %.2f pages/s, ratio %.3f\n", seconds,
                pagesPerSecond, limitPerSecond, pagesPerSecond / limitPerSecond);
    std::printf("  memory: VmHWM %ld kB (%s), VmRSS after %ld kB\n", peakKb,
                peakReset ? "peak of this run" : "process peak, could not reset", rssKb);
    const qsizetype budget = PageBudget::shared().limit();
    std::printf("  page memory budget %s, held at most %lld kB\n",
                budget == PageBudget::kUnlimited
                    ? "unlimited"
                    : (std::to_string(static_cast<long long>(budget / 1024)) + " kB").c_str(),
                static_cast<long long>(PageBudget::shared().highWater() / 1024));
    std::printf("  GUI thread: 1 ms timer longest gap %.2f ms (at %.2f s), %lld gaps over 5 ms, "
                "%lld ticks\n",
                gui.largestMs(), gui.largestAtS(), gui.longGaps(), gui.ticks());
    std::printf("  dispatch timer: longest gap %.2f ms (at %.2f s), %lld gaps over %d ms, "
                "%lld ticks (%.0f expected at %d ms)\n",
                dispatch.largestMs(), dispatch.largestAtS(), dispatch.longGaps(),
                2 * RunScheduler::kTickMs, dispatch.ticks(), expectedTicks, RunScheduler::kTickMs);
    std::printf("  Start (button click) took %.2f ms\n", static_cast<double>(startNs) / 1e6);
    app.print(seconds, 4);
    std::printf("  live workers at most %d (limit %d)\n", liveWorkersPeak, workers);
    std::printf("  rows %d, found %d (expected %d), not found %d, sum %d, status OK %d\n",
                results.rowCount(), form.scheduler().state().found_count, expectedFound,
                form.scheduler().state().not_found_count,
                form.scheduler().state().found_count + form.scheduler().state().not_found_count,
                okRows);
    if (run.perSiteItem != nullptr) {
        // Each server counts a request from its arrival until it begins to answer.
        std::vector<int> peaks;
        peaks.reserve(servers.size());
        for (const auto &server : servers) {
            peaks.push_back(server->peakRequestsInHand());
        }
        const auto [smallest, largest] = std::minmax_element(peaks.begin(), peaks.end());
        if (run.sites == 1) {
            std::printf("  requests the server held at once: at most %d (per-site limit %d)\n",
                        *largest, run.perSite);
        } else {
            std::printf("  requests a server held at once: largest peak %d, smallest peak %d over "
                        "%d sites (per-site limit %d)\n",
                        *largest, *smallest, run.sites, run.perSite);
        }
    }
    const QString button = namedChild<QPushButton>(form, "spSkinSpeedButton1")->text();
    std::printf("  button \"%s\", messages %lld\n", button.toLocal8Bit().constData(),
                static_cast<long long>(sink.texts.size()));
    std::fflush(stdout);

    const RunState &state = form.scheduler().state();
    return !timedOut && results.rowCount() == pages &&
           state.found_count + state.not_found_count == pages &&
           state.found_count == expectedFound && okRows == pages &&
           button == QLatin1String("Start");
}

// Each heavy case without the budget, then with the machine's.
int runHeavy(TimingApplication &app, TOrvaneTForm &form, RecordingSink &sink, int argc, char **argv)
{
    std::vector<std::pair<int, qsizetype>> sizes = {{300, 8 * 1024 * 1024}, {500, kMaxPageBytes}};
    if (argc > 3) {
        sizes = {{std::atoi(argv[2]), qsizetype{std::atoi(argv[3])} * 1024 * 1024}};
    }
    const qsizetype machineBudget = PageBudget::sizeForMachine();
    std::printf("heavy pages at 500 workers, no per-site limit, %lld-byte pieces every %d ms; "
                "budget for this machine %lld kB\n",
                static_cast<long long>(kPieceBytes), kPieceGapMs,
                static_cast<long long>(machineBudget / 1024));
    bool ok = true;
    for (const auto &[pages, bytes] : sizes) {
        for (const qsizetype budget : {PageBudget::kUnlimited, machineBudget}) {
            PageBudget::shared().setLimit(budget);
            std::printf("%d pages of %lld bytes, budget %s:\n", pages,
                        static_cast<long long>(bytes),
                        budget == PageBudget::kUnlimited ? "lifted (before)" : "on (after)");
            ok = runOnce(app, form, sink,
                         {.workers = 500,
                          .menuItem = "N500Threads3",
                          .sites = 10,
                          .perSite = SiteGate::kNoLimit,
                          .perSiteItem = "NoSiteLimit1",
                          .pages = pages,
                          .pageBytes = bytes}) &&
                 ok;
        }
    }
    std::printf("%s\n", ok ? "all runs complete" : "SOME RUN FAILED");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    initializeFetcher();
    TimingApplication app(argc, argv);

    TOrvaneTForm form;
    RecordingSink sink;
    form.setMessageSink(&sink);
    form.show();
    QCoreApplication::processEvents();

    const bool sitesMode = argc > 1 && std::strcmp(argv[1], "sites") == 0;
    if (argc > 1 && std::strcmp(argv[1], "heavy") == 0) {
        return runHeavy(app, form, sink, argc, argv);
    }
    std::printf("%d pages, each answered after %d ms%s; dispatch tick %d ms; platform %s\n", kPages,
                sitesMode ? kSlowAnswerMs : kAnswerMs,
                sitesMode ? ", on 20 sites, then on one" : "", RunScheduler::kTickMs,
                QGuiApplication::platformName().toLocal8Bit().constData());
    printIdleBaseline();
    std::fflush(stdout);

    bool ok = true;
    if (sitesMode) {
        const RunCase cases[] = {{.workers = 500,
                                  .menuItem = "N500Threads3",
                                  .sites = 20,
                                  .answerMs = kSlowAnswerMs,
                                  .perSite = 6,
                                  .perSiteItem = "N6perSite1"},
                                 {.workers = 500,
                                  .menuItem = "N500Threads3",
                                  .sites = 1,
                                  .answerMs = kSlowAnswerMs,
                                  .perSite = 6,
                                  .perSiteItem = "N6perSite1"}};
        for (const RunCase &run : cases) {
            ok = runOnce(app, form, sink, run) && ok;
        }
    } else {
        // An argument (10, 100 or 500) runs that setting alone, e.g. under a profiler.
        const int only = argc > 1 ? std::atoi(argv[1]) : 0;
        const std::pair<int, const char *> settings[] = {
            {10, "N10Threads2"}, {100, "N100Threads2"}, {500, "N500Threads3"}};
        for (const auto &[workers, menuItem] : settings) {
            if (only == 0 || only == workers) {
                ok = runOnce(app, form, sink, {.workers = workers, .menuItem = menuItem}) && ok;
            }
        }
    }
    std::printf("%s\n", ok ? "all runs complete" : "SOME RUN FAILED");
    return ok ? 0 : 1;
}
