#pragma once

namespace orvane {

// Sets the allocator up for big pages on many threads, where the platform allows it: large blocks
// are mapped on their own and given back when freed, and few pools keep little free memory. Once,
// before any fetch.
void tuneAllocatorForPages();

// Hands memory that is free but still held by the allocator back to the system, where the
// platform allows it. Called after large amounts were freed (a cleared results list).
void releaseFreeMemory();

} // namespace orvane
