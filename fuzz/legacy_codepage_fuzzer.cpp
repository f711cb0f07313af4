// narrowToLegacy / widenFromLegacy for UTF-8 and Windows-1252, and pageTextFromBytes
// against narrowing and widening done one after the other.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    orvane::fuzz::abortOnFailure(orvane::fuzz::checkCodePages(data, size));
    return 0;
}
