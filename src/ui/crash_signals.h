#pragma once

namespace orvane {

// From here on a crash (SIGSEGV, SIGABRT, SIGBUS) first writes a short report with a backtrace to
// standard error; the process then dies of the same signal as before (exit status, core dump).
// Call once, early at start-up. Does nothing where the platform has no such signals.
void installCrashReport();

} // namespace orvane
