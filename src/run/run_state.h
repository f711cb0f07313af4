#pragma once

namespace orvane {

// The current run and the choices it runs with, as values of its scheduler. GUI thread only:
// workers are handed what they need (the time-out) when they are made, and report on the GUI
// thread. Only the count of live workers crosses threads; it stays the engine's atomic no_threads.
struct RunState
{
    // Reports of the current run.
    int found_count = 0;
    int not_found_count = 0;
    // Index of the last line of the page list taken by the current run (-1 at Start).
    int line_index = -1;
    // The chosen worker limit and time-out (ms); a worker copies the time-out when it is made.
    int max_no_threads = 10;
    int time_out = 30000;
};

} // namespace orvane
