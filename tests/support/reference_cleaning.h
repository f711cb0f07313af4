#pragma once

#include "listtools/page_list.h"

namespace orvane {

// The duplicate passes done one line at a time, each line compared with every other through
// cauta_url or a set of hosts, as the commands were first written: quadratic, kept to check the
// fast commands against and to measure them by.
void removeDuplicateUrlsLineByLine(PageList &list);
void removeDuplicateDomainsLineByLine(PageList &list);

} // namespace orvane
