#pragma once

namespace orvane {

class TOrvaneTForm;

// Shows the main window, runs the event loop until the window is closed, then ends the workers
// that are still fetching. Returns the exit code; may end the process itself when workers linger.
int runMainWindow(TOrvaneTForm &form);

} // namespace orvane
