#pragma once

namespace orvane {

// Reports of the current run; touched only on the GUI thread.
extern int found_count;
extern int not_found_count;
// Index of the last line of the page list taken by the current run (-1 at Start).
extern int line_index;

} // namespace orvane
