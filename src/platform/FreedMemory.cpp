#include "platform/FreedMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kr {

void returnFreedMemoryToSystem() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

} // namespace kr
