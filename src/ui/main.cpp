#include "engine/page_fetcher.h"
#include "ui/orvane_form.h"
#include "ui/program.h"

#include <QApplication>

int main(int /*argc*/, char **argv)
{
    orvane::initializeFetcher();

    // The program takes no arguments: Qt sees only the program name.
    static int qtArgc = 1;
    QApplication app(qtArgc, argv);

    orvane::TOrvaneTForm form;
    return orvane::runMainWindow(form);
}
