// UrlSplitter::setURI on the bytes as UTF-8 and as UTF-16: the URI keeps the input's
// length and changes only backslashes, every component is a piece of the URI, a reused splitter
// forgets its last split.
#include "checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    orvane::fuzz::abortOnFailure(orvane::fuzz::checkUrlSplitter(data, size));
    return 0;
}
