// A run the user stops: ROWS pages of one local site, each answered after 1.5 s, at 500 workers
// and 6 transfers a site, in the real window. Once every row is out (and most wait for the site),
// prints how long copying every address to the clipboard takes, then presses Stop and prints how
// long until only the transfers under way were left pending, and until no row was.
//   run_control_bench [ROWS]    (default 300)
#include "engine/page_fetcher.h"
#include "engine/worker_counters.h"
#include "run/desktop_seams.h"
#include "run/result_columns.h"
#include "run/results_model.h"
#include "support/named_child.h"
#include "support/test_http_server.h"
#include "ui/orvane_form.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using namespace orvane;
using test::namedChild;

constexpr int kAnswerMs = 1500;
constexpr int kTransfersPerSite = 6;

class DiscardingSinks final : public MessageSink, public ClipboardSink
{
public:
    void information(const QString & /*text*/) override {}
    void setText(const QString &text) override { copied = text.size(); }
    qsizetype copied = 0;
};

int pendingRows(const ResultsModel &results)
{
    int pending = 0;
    for (int row = 0; row < results.rowCount(); ++row) {
        pending += results.cellText(row, FoundColumn) == QLatin1String("Searching...") ? 1 : 0;
    }
    return pending;
}

// Runs the GUI thread's events until `done` holds; the milliseconds that took.
double msUntil(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const int rows = argc > 1 ? std::max(std::atoi(argv[1]), 10) : 300;
    initializeFetcher();
    QApplication app(argc, argv);
    TOrvaneTForm form;
    DiscardingSinks sinks;
    form.setMessageSink(&sinks);
    form.setClipboard(&sinks);
    form.show();

    test::TestHttpServer server;
    QStringList lines;
    for (int i = 0; i < rows; ++i) {
        const QByteArray target = "/p" + QByteArray::number(i);
        server.handle(target, [](test::HttpConnection &connection) {
            connection.pause(std::chrono::milliseconds(kAnswerMs));
            connection.respond(200, {"Content-Type: text/html"},
                               "<a href=\"https://www.site.example/\">Site</a>");
        });
        lines << server.url(target);
    }
    namedChild<QAction>(form, "N500Threads3")->trigger();
    namedChild<QAction>(form, "N6perSite1")->trigger();
    namedChild<QLineEdit>(form, "WebsiteTspSkinEdit")->setText(QStringLiteral("site.example"));
    namedChild<QPlainTextEdit>(form, "LinksTspSkinMemo")->setPlainText(lines.join(u'\n'));
    std::printf("%d pages of one site, each answered after %d ms; 500 workers, %d per site\n", rows,
                kAnswerMs, kTransfersPerSite);

    auto *button = namedChild<QPushButton>(form, "spSkinSpeedButton1");
    button->click();
    const ResultsModel &results = *form.results();
    msUntil([&] { return results.rowCount() == rows; });
    // A moment for every worker to reach its site's queue; the first transfers are still under
    // way.
    QElapsedTimer settle;
    settle.start();
    msUntil([&] { return settle.elapsed() >= 500; });
    std::printf("rows out: %d, %d of them pending\n", results.rowCount(), pendingRows(results));

    namedChild<QAction>(form, "Selectall1")->trigger();
    auto *copy = namedChild<QAction>(form, "CopyURL1");
    std::vector<double> copies;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        copy->trigger();
        copies.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(copies.begin(), copies.end());
    std::printf("copy of %d addresses (%lld characters) while they wait: median %.2f ms, max "
                "%.2f ms\n",
                rows, static_cast<long long>(sinks.copied), copies[copies.size() / 2],
                copies.back());

    button->click(); // Stop
    QElapsedTimer sinceStop;
    sinceStop.start();
    const double waitersEnded = msUntil([&] { return pendingRows(results) <= kTransfersPerSite; });
    const double lastEnded = msUntil([&] { return pendingRows(results) == 0; });
    std::printf("after Stop: %.0f ms until only the transfers under way were pending, %.0f ms "
                "until the last pending row ended\n",
                waitersEnded, waitersEnded + lastEnded);
    msUntil([] { return no_threads.load() == 0; });
    std::printf("every worker ended %.0f ms after Stop\n",
                static_cast<double>(sinceStop.nsecsElapsed()) / 1e6);
    return 0;
}
