#include "engine/page_fetcher.h"
#include "ui/crash_signals.h"
#include "ui/orvane_form.h"
#include "ui/program.h"
#include "ui/unhandled_errors.h"

#include <QStringList>
#include <cstdio>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (const std::optional<QString> answer = orvane::commandLineAnswer(arguments)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    orvane::installCrashReport();
    orvane::initializeFetcher();

    // Any other argument is ignored: Qt sees only the program name.
    static int qtArgc = 1;
    orvane::OrvaneApplication app(qtArgc, argv);

    orvane::TOrvaneTForm form;
    return orvane::runMainWindow(form);
}
