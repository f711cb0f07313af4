// Clean_Status on the bytes as UTF-8 and as UTF-16: only the allowed characters
// remain, in their order, and none of them is lost.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    orvane::fuzz::abortOnFailure(orvane::fuzz::checkCleanStatus(data, size));
    return 0;
}
