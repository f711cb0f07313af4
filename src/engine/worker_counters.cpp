#include "engine/worker_counters.h"

namespace orvane {

std::atomic<int> no_threads{0};
std::array<std::atomic<int>, kCheckWaitKinds> waiting_workers{};

} // namespace orvane
