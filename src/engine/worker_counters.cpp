#include "engine/worker_counters.h"

namespace orvane {

std::atomic<int> no_threads{0};
std::atomic<int> time_out{30000};

} // namespace orvane
