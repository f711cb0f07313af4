// Find_Link in both modes. The first byte is the target's length; the target follows,
// then the page. Both are read as UTF-8 and as raw UTF-16 (lone surrogates included); link mode
// runs under both code pages.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    orvane::fuzz::abortOnFailure(orvane::fuzz::checkLinkFinder(data, size));
    return 0;
}
