#include "engine/memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orvane {

void releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace orvane
