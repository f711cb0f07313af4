#include "engine/run_counters.h"

namespace orvane {

std::atomic<int> no_threads{0};
std::atomic<int> time_out{30000};
int found_count = 0;
int not_found_count = 0;
int line_index = -1;

} // namespace orvane
