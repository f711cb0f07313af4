#pragma once

namespace orvane {

// Hands memory that is free but still held by the allocator back to the system, where the
// platform allows it. Called after large amounts were freed (a cleared results list).
void releaseFreeMemory();

} // namespace orvane
