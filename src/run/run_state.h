#pragma once

#include <functional>

namespace orvane {

// The current run and the choices it runs with, as values of its scheduler. GUI thread only:
// workers are handed what they need (the time-out) when they are made, and report on the GUI
// thread. Only the count of live workers crosses threads; it stays the engine's atomic no_threads.
struct RunState
{
    // Reports of the current run.
    int found_count = 0;
    int not_found_count = 0;
    // Index of the last line of the page list taken by the current run (-1 at Start); when rows
    // are checked again, of the rows of the list, those not checked again taken at once.
    int line_index = -1;
    // Lines taken without a row (blank ones): done as soon as taken.
    int blank_lines = 0;
    // Told after each report is counted, so that counts reported after Stop still show.
    std::function<void()> counted;
    // The chosen worker limit and time-out (ms); a worker copies the time-out when it is made.
    int max_no_threads = 10;
    int time_out = 30000;
};

} // namespace orvane
