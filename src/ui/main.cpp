#include "engine/page_fetcher.h"
#include "ui/crash_signals.h"
#include "ui/orvane_form.h"
#include "ui/program.h"
#include "ui/unhandled_errors.h"

int main(int /*argc*/, char **argv)
{
    orvane::installCrashReport();
    orvane::initializeFetcher();

    // The program takes no arguments: Qt sees only the program name.
    static int qtArgc = 1;
    orvane::OrvaneApplication app(qtArgc, argv);

    orvane::TOrvaneTForm form;
    return orvane::runMainWindow(form);
}
