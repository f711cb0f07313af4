#pragma once

#include <atomic>

namespace orvane {

// Workers constructed and not yet destroyed. Raised on the GUI thread, lowered on worker threads,
// hence atomic; it outlives every run and window, so that the end of the program can wait for it.
extern std::atomic<int> no_threads;

} // namespace orvane
