#pragma once

#include "engine/check_control.h"

#include <array>
#include <atomic>

namespace orvane {

// Workers constructed and not yet destroyed. Raised on the GUI thread, lowered on worker threads,
// hence atomic; it outlives every run and window, so that the end of the program can wait for it.
extern std::atomic<int> no_threads;

// Live workers by what they wait for, indexed by CheckWait (None: at work). Changed on the
// workers' threads, read by the GUI thread for the Threads panel.
inline constexpr int kCheckWaitKinds = int(CheckWait::ForMemory) + 1;
extern std::array<std::atomic<int>, kCheckWaitKinds> waiting_workers;

} // namespace orvane
