// rewritePattern and PcrePattern against PCRE2 given the pattern as written. The first byte is the
// pattern's length; the pattern follows, then the subject.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    orvane::fuzz::abortOnFailure(orvane::fuzz::checkPatternRewrite(data, size));
    return 0;
}
