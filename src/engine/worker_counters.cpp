#include "engine/worker_counters.h"

namespace orvane {

std::atomic<int> no_threads{0};

} // namespace orvane
