#pragma once

#include <atomic>

namespace orvane {

// Workers constructed and not yet destroyed. Raised on the GUI thread, lowered on worker threads.
extern std::atomic<int> no_threads;
// The chosen time-out in milliseconds. Written on the GUI thread, copied by each new worker.
extern std::atomic<int> time_out;
// Reports of the current run; touched only on the GUI thread.
extern int found_count;
extern int not_found_count;
// Index of the last line of the page list taken by the current run (-1 at Start).
extern int line_index;

} // namespace orvane
