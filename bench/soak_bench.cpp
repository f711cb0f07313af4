// A long run in the real main window: 10,000 pages of a mixed list (linking, not linking, 404,
// slow, refused, and hostile ones: stalled past the time-out, cut mid-body, endless, random bytes,
// redirect loops) at 500 workers with a 5 s time-out. Checks that every row ends in a final state
// with the status its kind of page calls for, that the counts add up and that no worker is left,
// and prints memory before the run, its peak, after the run and after the results and the page
// list are cleared, with the run time and pages per second.
//   soak_bench [pages]    (default 10000)
#include "engine/page_fetcher.h"
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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace orvane;
using namespace std::chrono_literals;

namespace {

using orvane::test::loadAverage;
using orvane::test::namedChild;
using orvane::test::resetPeakMemory;
using orvane::test::statusKb;

constexpr int kDefaultPages = 10000;
constexpr int kRunLimitMs = 20 * 60 * 1000;
constexpr int kSlowAnswerMs = 1000;

// Lets queued events and deferred deletions run for a while.
void settle(std::chrono::milliseconds duration)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
}

class RecordingSink final : public MessageSink
{
public:
    void information(const QString &text) override { texts << text; }
    QStringList texts;
};

const QByteArray kLink = "<p>Friends: <a href=\"https://www.site.example/\">Site</a></p>";

// The kinds of page in the list, and what their rows must end with.
enum Kind {
    Linking,
    NotLinking,
    Missing404,
    Slow,
    Refused,
    Stalled,
    Reset,
    Endless,
    RandomBytes,
    RedirectLoop,
    KindCount
};

struct Expectation
{
    const char *name;
    const char *status;
    bool found;
};

const std::array<Expectation, KindCount> kExpected = {{
    {"linking", "OK", true},
    {"not linking", "OK", false},
    {"404 with a link", "HTTP 404", true},
    {"slow (1 s)", "OK", true},
    {"refused", "Cannot open URL", false},
    {"stalled past the time-out", "Timed out", true},
    {"reset mid-body", "Download incomplete", true},
    {"endless body", "Page too large", true},
    {"random bytes", "OK", false},
    {"redirect loop", "Cannot open URL", false},
}};

// Index -> kind: mostly ordinary pages, a few percent of each hostile kind, and an endless body
// only every 2,000 pages (each costs 16 MiB while it is read and searched).
Kind kindOf(int index)
{
    if (index % 2000 == 1000) {
        return Endless;
    }
    switch (index % 50) {
    case 3:
    case 29:
        return Missing404;
    case 7:
    case 17:
    case 37:
        return Slow;
    case 11:
    case 41:
        return Refused;
    case 13:
        return Stalled;
    case 19:
    case 47:
        return Reset;
    case 23:
    case 43:
        return RandomBytes;
    case 31:
        return RedirectLoop;
    default:
        return index % 2 == 0 ? Linking : NotLinking;
    }
}

QByteArray randomBytes(quint32 seed, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char &byte : bytes) {
        byte = static_cast<char>(generator.bounded(256));
    }
    return bytes.replace("<", "(").replace("http", "hxxp");
}

// Puts a handler for every page of the list on the server; returns the list's lines.
QStringList buildSite(test::TestHttpServer &server, int pages, const QString &refusedUrl)
{
    const QByteArray linking = "<html><body><p>Some text.</p>" + kLink + "</body></html>";
    const QByteArray notLinking =
        "<html><body><p>Some text.</p><a href=\"https://other.example/\">Other</a></body></html>";
    const QByteArray resetPart = "<html><body>" + kLink + QByteArray(2000, 'z');
    const std::array<QByteArray, 4> noise = {randomBytes(1, 20000), randomBytes(2, 50000),
                                             randomBytes(3, 5000), randomBytes(4, 100000)};
    const QByteArray endlessChunk = QByteArray("<p>and so on</p>\n").repeated(4000);

    QStringList lines;
    lines.reserve(pages);
    for (int i = 0; i < pages; ++i) {
        const QByteArray target = "/p" + QByteArray::number(i);
        switch (kindOf(i)) {
        case Linking:
        case NotLinking: {
            const QByteArray body = kindOf(i) == Linking ? linking : notLinking;
            server.handle(target, [body](test::HttpConnection &c) {
                c.respond(200, {"Content-Type: text/html"}, body);
            });
            break;
        }
        case Missing404:
            server.handle(target, [linking](test::HttpConnection &c) {
                c.respond(404, {"Content-Type: text/html"}, linking);
            });
            break;
        case Slow:
            server.handle(target, [linking](test::HttpConnection &c) {
                if (c.pause(std::chrono::milliseconds(kSlowAnswerMs))) {
                    c.respond(200, {"Content-Type: text/html"}, linking);
                }
            });
            break;
        case Refused:
            lines << refusedUrl + QStringLiteral("p") + QString::number(i);
            continue;
        case Stalled:
            server.handle(target, [](test::HttpConnection &c) {
                if (c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                           "100000\r\nConnection: close\r\n\r\n") &&
                    c.send(kLink)) {
                    c.stall();
                }
            });
            break;
        case Reset:
            server.handle(target, [resetPart](test::HttpConnection &c) {
                if (c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                           "50000\r\nConnection: close\r\n\r\n") &&
                    c.send(resetPart) && c.pause(150ms)) {
                    c.closeAbruptly();
                }
            });
            break;
        case Endless:
            server.handle(target, [endlessChunk](test::HttpConnection &c) {
                if (c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: "
                           "close\r\n\r\n") &&
                    c.send(kLink)) {
                    c.streamEndlessly(endlessChunk);
                }
            });
            break;
        case RandomBytes: {
            const QByteArray &body = noise[static_cast<std::size_t>(i) % noise.size()];
            server.handle(target, [body](test::HttpConnection &c) {
                c.respond(200, {"Content-Type: text/html"}, body);
            });
            break;
        }
        case RedirectLoop:
            server.handle(target, [target](test::HttpConnection &c) {
                c.respond(302, {QByteArray("Location: " + target)}, "");
            });
            break;
        case KindCount:
            break;
        }
        lines << server.url(target);
    }
    return lines;
}

// Bytes the allocator has handed out and not had back, over all its arenas, in kB: tells memory
// still held by the program from memory the allocator keeps spare.
long allocatedKb()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

void printMemory(const char *when, long kb, long baseKb)
{
    std::printf("  %-44s %8ld kB  (%+.1f MiB, ratio %.3f)\n", when, kb,
                static_cast<double>(kb - baseKb) / 1024.0,
                static_cast<double>(kb) / static_cast<double>(baseKb));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Loopback only: a proxy configured on the machine must not get in between.
    qputenv("no_proxy", "127.0.0.1,localhost");
    qputenv("NO_PROXY", "127.0.0.1,localhost");
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultPages;
    initializeFetcher();
    QApplication app(argc, argv);

    TOrvaneTForm form;
    RecordingSink sink;
    form.setMessageSink(&sink);
    form.show();
    namedChild<QAction>(form, "N500Threads3")->trigger();
    // The one local server stands for the many sites of a real list: 500 workers at it at once.
    namedChild<QAction>(form, "NoSiteLimit1")->trigger();
    namedChild<QAction>(form, "imeOut5s1")->trigger();
    namedChild<QLineEdit>(form, "WebsiteTspSkinEdit")->setText(QStringLiteral("site.example"));
    auto *memo = namedChild<QPlainTextEdit>(form, "LinksTspSkinMemo");
    settle(200ms);
    const long startKb = statusKb("VmRSS");

    // A short run first, so that what the first run sets up once (fetcher, Qt's caches, the
    // results view) is not counted as growth of the long one.
    {
        test::TestHttpServer warmUp;
        QStringList lines;
        for (int i = 0; i < 50; ++i) {
            const QByteArray target = "/w" + QByteArray::number(i);
            warmUp.handle(target, [](test::HttpConnection &c) { c.respond(200, {}, kLink); });
            lines << warmUp.url(target);
        }
        memo->setPlainText(lines.join(QLatin1Char('\n')));
        namedChild<QPushButton>(form, "spSkinSpeedButton1")->click();
        QElapsedTimer clock;
        clock.start();
        while ((form.scheduler().isRunning() || no_threads.load() != 0) &&
               clock.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        form.results()->clear();
        memo->clear();
        sink.texts.clear();
    }
    settle(500ms);

    std::printf("soak: %d pages, 500 workers, time-out %d ms, dispatch tick %d ms, platform %s\n",
                pages, form.scheduler().state().time_out, RunScheduler::kTickMs,
                QGuiApplication::platformName().toLocal8Bit().constData());
    std::array<int, KindCount> planned{};
    for (int i = 0; i < pages; ++i) {
        ++planned[kindOf(i)];
    }
    std::printf("  mix:");
    for (int k = 0; k < KindCount; ++k) {
        std::printf("%s %s %d", k == 0 ? "" : ",", kExpected[k].name, planned[k]);
    }
    std::printf("\n");

    const long beforeKb = statusKb("VmRSS");
    const long allocatedBeforeKb = allocatedKb();
    bool ok = true;
    long peakKb = -1;
    long afterRunKb = -1;
    bool peakReset = false;
    double seconds = 0;
    {
        test::TestHttpServer server;
        const QStringList lines = buildSite(server, pages, test::closedPortUrl());
        memo->setPlainText(lines.join(QLatin1Char('\n')));
        QCoreApplication::processEvents();
        peakReset = resetPeakMemory();
        const std::string loadBefore = loadAverage();

        int liveWorkersPeak = 0;
        QElapsedTimer clock;
        clock.start();
        namedChild<QPushButton>(form, "spSkinSpeedButton1")->click();
        bool timedOut = false;
        while (form.scheduler().isRunning() || no_threads.load() != 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            liveWorkersPeak = std::max(liveWorkersPeak, no_threads.load());
            if (clock.elapsed() > kRunLimitMs) {
                timedOut = true;
                break;
            }
            QThread::usleep(500);
        }
        const qint64 elapsedMs = clock.elapsed();
        if (timedOut) {
            namedChild<QPushButton>(form, "spSkinSpeedButton1")->click(); // Stop
        }
        // A second completion message would come with a later tick.
        settle(300ms);
        peakKb = statusKb("VmHWM");
        afterRunKb = statusKb("VmRSS");
        seconds = static_cast<double>(elapsedMs) / 1000.0;

        ResultsModel &results = *form.results();
        int searching = 0;
        int pending = 0;
        int foundRows = 0;
        std::array<int, KindCount> wrong{};
        std::map<QString, int> statuses;
        for (int row = 0; row < results.rowCount(); ++row) {
            const ResultRow &item = results.rowAt(row);
            const QString found = results.cellText(row, FoundColumn);
            const QString status = results.cellText(row, StatusColumn);
            searching += found == QLatin1String("Searching...") ? 1 : 0;
            pending += item.imageIndex == ImagePending ? 1 : 0;
            foundRows += found == QLatin1String("Found") ? 1 : 0;
            ++statuses[status];
            const Expectation &expected = kExpected[kindOf(row)];
            if (status != QLatin1String(expected.status) ||
                (found == QLatin1String("Found")) != expected.found) {
                if (wrong[kindOf(row)]++ < 3) {
                    std::printf("  row %d (%s): \"%s\" / \"%s\", expected \"%s\" / %s\n", row,
                                expected.name, found.toLocal8Bit().constData(),
                                status.toLocal8Bit().constData(), expected.status,
                                expected.found ? "Found" : "Not Found");
                }
            }
        }

        std::printf("  run: %.1f s, %.1f pages/s%s (load average %s before, %s after)\n", seconds,
                    pages / seconds, timedOut ? "  (RUN LIMIT REACHED, stopped)" : "",
                    loadBefore.c_str(), loadAverage().c_str());
        std::printf("  live workers at most %d; no_threads after the run %d\n", liveWorkersPeak,
                    no_threads.load());
        std::printf("  rows %d of %d; \"Searching...\" left %d, pending images %d\n",
                    results.rowCount(), pages, searching, pending);
        std::printf("  found %d + not found %d = %d (rows %d; found rows %d)\n",
                    form.scheduler().state().found_count, form.scheduler().state().not_found_count,
                    form.scheduler().state().found_count + form.scheduler().state().not_found_count,
                    results.rowCount(), foundRows);
        std::printf("  completion messages %lld\n", static_cast<long long>(sink.texts.size()));
        std::printf("  statuses:");
        for (const auto &[status, count] : statuses) {
            std::printf(" \"%s\" %d;", status.toLocal8Bit().constData(), count);
        }
        std::printf("\n  rows not as their kind calls for:");
        int wrongTotal = 0;
        for (int k = 0; k < KindCount; ++k) {
            wrongTotal += wrong[k];
            if (wrong[k] > 0) {
                std::printf(" %s %d;", kExpected[k].name, wrong[k]);
            }
        }
        std::printf(wrongTotal == 0 ? " none\n" : "\n");

        ok = !timedOut && results.rowCount() == pages && searching == 0 && pending == 0 &&
             form.scheduler().state().found_count + form.scheduler().state().not_found_count ==
                 pages &&
             form.scheduler().state().found_count == foundRows && no_threads.load() == 0 &&
             sink.texts.size() == 1;
        std::printf("  requests served %d\n", server.connectionCount());
        std::fflush(stdout);
    } // the server and what it recorded go here

    form.results()->clear();
    memo->clear();
    settle(1000ms);
    const long clearedKb = statusKb("VmRSS");
    const long allocatedClearedKb = allocatedKb();
    malloc_trim(0);
    const long trimmedKb = statusKb("VmRSS");

    std::printf("  memory (VmRSS; at start-up %ld kB):\n", startKb);
    printMemory("before the run (after a 50-page warm-up)", beforeKb, beforeKb);
    printMemory(peakReset ? "peak during the run (VmHWM)" : "peak (VmHWM, whole process)", peakKb,
                beforeKb);
    printMemory("after the run", afterRunKb, beforeKb);
    printMemory("after clearing results and page list", clearedKb, beforeKb);
    printMemory("  and after malloc_trim (allocator's spare)", trimmedKb, beforeKb);
    std::printf("  allocated and not freed (malloc): %ld kB before the run, %ld kB after clearing "
                "(%+.1f MiB)\n",
                allocatedBeforeKb, allocatedClearedKb,
                static_cast<double>(allocatedClearedKb - allocatedBeforeKb) / 1024.0);
    std::printf("  after clearing / before the run: %.3f (goal: within 1.10)\n",
                static_cast<double>(clearedKb) / static_cast<double>(beforeKb));
    std::printf("%s\n", ok ? "soak: every row final, counts add up, no worker left"
                           : "soak: CHECKS FAILED");
    return ok ? 0 : 1;
}
