#include "engine/check_worker.h"
#include "engine/page_fetcher.h"
#include "ui/orvane_form.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    orvane::initializeFetcher();

    // The program takes no arguments: Qt sees only the program name.
    static int qtArgc = 1;
    QApplication app(qtArgc, argv);
    (void)argc;

    int exitCode = 0;
    {
        orvane::TOrvaneTForm form;
        form.show();
        exitCode = QApplication::exec();
        // Workers may still be fetching: cut their transfers, drop their reports, and give them a
        // moment to end before the process tears down what they use.
        if (!orvane::shutdownWorkers(*form.bridge(), std::chrono::milliseconds(1500))) {
            std::fflush(nullptr);
            std::quick_exit(exitCode);
        }
    }
    return exitCode;
}
