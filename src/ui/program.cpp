#include "ui/program.h"

#include "engine/check_worker.h"
#include "ui/orvane_form.h"
#include "ui/unhandled_errors.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace orvane {

int runMainWindow(TOrvaneTForm &form)
{
    form.show();
    const int exitCode = QApplication::exec();
    form.scheduler().Stop(); // every check still waiting ends now
    // Workers may still be fetching: cut their transfers, drop their reports, and give them a
    // moment to end before the process tears down what they use.
    if (!shutdownWorkers(*form.bridge(), std::chrono::milliseconds(1500))) {
        std::fflush(nullptr);
        std::quick_exit(exitCode);
    }
    return exitCode;
}

std::optional<QString> commandLineAnswer(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--version")) {
            return QStringLiteral("Orvane ") + QLatin1String(programVersion()) + u'\n';
        }
        if (argument == QLatin1String("--help")) {
            return QStringLiteral("Usage: orvane [--version | --help]\n"
                                  "Checks lists of web pages for links to your site: paste the\n"
                                  "pages, type your site's address and press Start.\n\n"
                                  "  --version  print the version and exit\n"
                                  "  --help     print this help and exit\n");
        }
    }
    return std::nullopt;
}

} // namespace orvane
