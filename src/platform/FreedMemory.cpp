#include "platform/FreedMemory.h"

#include <QCoreApplication>
#include <QTimer>

// A header of the C library first: it says whether that library is glibc.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kr {

namespace {
// Long enough for a change of page to have settled (its repaints, the
// window's new size).
constexpr int kSettleMs = 3000;
} // namespace

void returnFreedMemoryToSystem() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

void returnFreedMemoryToSystemSoon() {
  static bool pending = false;
  QCoreApplication* application = QCoreApplication::instance();
  if (pending || !application)
    return;
  pending = true;
  QTimer::singleShot(kSettleMs, application, [] {
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
