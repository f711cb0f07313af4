// Shows the real window checking about forty pages of a local site, slowly enough that the run is
// visibly in progress, for scripts/screenshot.sh. Prints "window <id>" once the window is shown and
// "ready" once some rows have finished. Runs until killed, or for the given number of seconds.
// With "right" the results list is scrolled to its last columns.
//   screenshot_probe [seconds] [right]
#include "engine/page_fetcher.h"
#include "run/results_model.h"
#include "support/named_child.h"
#include "support/recording_desktop.h"
#include "support/test_http_server.h"
#include "ui/orvane_form.h"
#include "ui/program.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kPageCount = 40;
constexpr int kFinishedRowsBeforeReady = 12;

const char *const kAnchors[] = {"Cheap widgets", "site.example", "Widgets for every workshop",
                                "Best widget shop"};

QByteArray pagePath(int i)
{
    switch (i % 4) {
    case 0:
        return "/blog/post-" + QByteArray::number(i + 1);
    case 1:
        return "/forum/topic-" + QByteArray::number(1200 + i * 7);
    case 2:
        return "/news/widget-review-" + QByteArray::number(i + 1);
    default:
        return "/resources/links-" + QByteArray::number(i / 4 + 1) + ".html";
    }
}

QByteArray pageBody(int i)
{
    QByteArray body = "<!DOCTYPE html><html><head><title>Page " + QByteArray::number(i + 1) +
                      "</title></head><body><h1>Workshop notes</h1>"
                      "<p>Some thoughts on tools, with a few <a href='https://www.example.org/'>"
                      "references</a> and <a href='/about'>more about us</a>.</p>";
    if (i % 3 == 0) {
        const char *const rels[] = {"", " rel='nofollow'",    "", " rel='sponsored'",
                                    "", " rel='ugc nofollow'"};
        body += "<p>Recommended: <a href='https://www.site.example/'" +
                QByteArray(rels[(i / 3) % 6]) + ">" + QByteArray(kAnchors[(i / 3) % 4]) +
                "</a></p>";
    }
    if (i % 7 == 2) {
        body.replace("<head>", "<head><meta name='robots' content='noindex'>");
    }
    return body + "</body></html>";
}

} // namespace

int main(int argc, char **argv)
{
    orvane::initializeFetcher();
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 0;
    const bool scrolledRight = argc > 2 && QByteArray(argv[2]) == "right";

    orvane::test::TestHttpServer server;
    QStringList lines;
    for (int i = 0; i < kPageCount; ++i) {
        const QByteArray path = pagePath(i);
        // Pauses of 0.3 to 2 s, scattered, so that rows finish out of order.
        const auto pause = std::chrono::milliseconds(300 + (i * 617) % 1700);
        // Some pages have gone, and some answer with a server error.
        const int status = (i % 9 == 4) ? 404 : (i % 11 == 7) ? 500 : 200;
        const QByteArray body = status == 200 ? pageBody(i)
                                              : QByteArray("<html><body><h1>") +
                                                    (status == 404 ? "Not Found" : "Server Error") +
                                                    "</h1></body></html>";
        server.handle(path, [pause, status, body](orvane::test::HttpConnection &c) {
            if (c.pause(pause)) {
                c.respond(status, {"Content-Type: text/html; charset=utf-8"}, body);
            }
        });
        lines << server.url(path);
    }
    // A site that has gone away.
    lines.insert(6, orvane::test::closedPortUrl() + QStringLiteral("old-directory/"));

    orvane::TOrvaneTForm form;
    // The run ends with a message box; here it is only recorded.
    orvane::testing::RecordingDesktop desktop;
    form.setMessageSink(&desktop);
    using orvane::test::namedChild;
    namedChild<QLineEdit>(form, "WebsiteTspSkinEdit")->setText(QStringLiteral("site.example"));
    namedChild<QPlainTextEdit>(form, "LinksTspSkinMemo")->setPlainText(lines.join(u'\n'));
    QTreeView *list = namedChild<QTreeView>(form, "DownloadsTspSkinListView");

    form.show();
    std::printf("window 0x%llx\n", static_cast<unsigned long long>(form.winId()));
    std::fflush(stdout);
    namedChild<QPushButton>(form, "spSkinSpeedButton1")->click();

    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &form, [&form, &watcher, list, scrolledRight] {
        const orvane::ResultsModel *results = form.results();
        int finished = 0;
        for (int row = 0; row < results->rowCount(); ++row) {
            finished += results->rowAt(row).imageIndex != orvane::ImagePending;
        }
        if (finished >= kFinishedRowsBeforeReady) {
            watcher.stop();
            if (scrolledRight) {
                // (Auto scroll follows new rows up and down only, so the columns stay.)
                QScrollBar *bar = list->horizontalScrollBar();
                bar->setValue(bar->maximum());
            }
            std::printf("ready\n");
            std::fflush(stdout);
        }
    });
    watcher.start(50);

    if (seconds > 0) {
        QTimer::singleShot(std::chrono::seconds(seconds), &form, &QWidget::close);
    }
    return orvane::runMainWindow(form);
}
