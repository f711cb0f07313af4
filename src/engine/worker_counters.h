#pragma once

#include <atomic>

namespace orvane {

// Workers constructed and not yet destroyed. Raised on the GUI thread, lowered on worker threads.
extern std::atomic<int> no_threads;
// The chosen time-out in milliseconds. Written on the GUI thread, copied by each new worker.
extern std::atomic<int> time_out;

} // namespace orvane
