// The five list cleaning commands on the bytes as the lines of a page list (up to a
// few KB); the two duplicate removals against their line-by-line passes.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    orvane::fuzz::abortOnFailure(orvane::fuzz::checkListCleaning(data, size));
    return 0;
}
