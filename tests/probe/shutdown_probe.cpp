// Starts hundreds of real workers against one address, closes the main window while they are
// fetching and ends the way the program ends. Prints "closing" when the window closes.
//   shutdown_probe <url> <workers>
#include "engine/check_worker.h"
#include "engine/page_fetcher.h"
#include "engine/worker_counters.h"
#include "run/results_model.h"
#include "run/row_report.h"
#include "ui/orvane_form.h"
#include "ui/program.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: shutdown_probe <url> <workers>\n");
        return 2;
    }
    orvane::initializeFetcher();
    QApplication app(argc, argv);
    const QString url = QString::fromLocal8Bit(argv[1]);
    const int workers = QByteArray(argv[2]).toInt();

    orvane::TOrvaneTForm form;
    const orvane::WorkerEnvironment environment{std::make_shared<orvane::InternetPageSource>(),
                                                form.bridge()->handle()};
    for (int i = 0; i < workers; ++i) {
        const orvane::ResultRowRef row = form.results()->appendRow(url);
        orvane::TMyThread::Start(std::make_unique<orvane::TMyThread>(
            url, QStringLiteral("x"),
            std::make_unique<orvane::RowReport>(row, std::make_shared<orvane::RunState>()), false,
            environment));
    }
    QTimer::singleShot(700, &form, [&form] {
        std::printf("closing %d\n", orvane::no_threads.load());
        std::fflush(stdout);
        form.close();
    });
    return orvane::runMainWindow(form);
}
