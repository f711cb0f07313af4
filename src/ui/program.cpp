#include "ui/program.h"

#include "engine/check_worker.h"
#include "ui/orvane_form.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace orvane {

int runMainWindow(TOrvaneTForm &form)
{
    form.show();
    const int exitCode = QApplication::exec();
    // Workers may still be fetching: cut their transfers, drop their reports, and give them a
    // moment to end before the process tears down what they use.
    if (!shutdownWorkers(*form.bridge(), std::chrono::milliseconds(1500))) {
        std::fflush(nullptr);
        std::quick_exit(exitCode);
    }
    return exitCode;
}

} // namespace orvane
