#include "run/run_counters.h"

namespace orvane {

int found_count = 0;
int not_found_count = 0;
int line_index = -1;

} // namespace orvane
