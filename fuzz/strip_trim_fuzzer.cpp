// Strip_Tags on the bytes as UTF-8 and as UTF-16, Trim_Spaces on the bytes under both
// code pages, compared with a trim worked out by hand.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    orvane::fuzz::abortOnFailure(orvane::fuzz::checkStripTrim(data, size));
    return 0;
}
