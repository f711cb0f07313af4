#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace orvane {

class TOrvaneTForm;

// Shows the main window, runs the event loop until the window is closed, then ends the workers
// that are still fetching. Returns the exit code; may end the process itself when workers linger.
int runMainWindow(TOrvaneTForm &form);

// What the program prints, without opening a window, for its command line (the arguments after
// the program's name): the version for "--version", a short usage for "--help", whichever comes
// first. Nothing for any other argument, which is ignored.
std::optional<QString> commandLineAnswer(const QStringList &arguments);

} // namespace orvane
