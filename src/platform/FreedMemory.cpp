#include "platform/FreedMemory.h"

#include <QCoreApplication>
#include <QTimer>

// A header of the C library first: it says whether that library is glibc.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kr {

void returnFreedMemoryToSystem() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

void returnFreedMemoryToSystemSoon(int afterMs) {
  static bool pending = false;
  QCoreApplication* application = QCoreApplication::instance();
  if (pending || !application)
    return;
  pending = true;
  QTimer::singleShot(afterMs, application, [] {
    pending = false;
    returnFreedMemoryToSystem();
  });
}

void keepLargeBlocksOutOfTheHeap() {
#if defined(__GLIBC__)
  // Setting the threshold also stops the library from raising it.
  ::mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

} // namespace kr
