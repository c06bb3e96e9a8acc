#include "platform/FreedMemory.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

#include <sys/mman.h>

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

long pageOutMappedFiles(std::initializer_list<std::string_view> names) {
  long kilobytes = 0;
#if defined(MADV_PAGEOUT)
  // own-file: the kernel's list of this process's mappings, no file of a folder of ours
  std::FILE* maps = std::fopen("/proc/self/maps", "re");
  if (!maps)
    return 0;
  // "start-end perms offset device inode path"; longer lines are cut, and
  // the rest of a cut line read as lines of its own matches no mapping.
  char line[4096];
  while (std::fgets(line, sizeof line, maps)) {
    unsigned long start = 0;
    unsigned long end = 0;
    char perms[5] = {};
    int pathAt = 0;
    if (std::sscanf(line, "%lx-%lx %4s %*s %*s %*s %n", &start, &end, perms, &pathAt) < 3 ||
        pathAt == 0 || perms[1] == 'w' || end <= start)
      continue;
    const std::string_view path(line + pathAt);
    if (path.empty() || path.front() != '/')
      continue;
    bool named = false;
    for (std::string_view name : names)
      named = named || path.find(name) != std::string_view::npos;
    if (named && ::madvise(reinterpret_cast<void*>(start), end - start, MADV_PAGEOUT) == 0)
      kilobytes += long((end - start) / 1024);
  }
  std::fclose(maps);
#else
  Q_UNUSED(names);
#endif
  return kilobytes;
}

void keepLargeBlocksOutOfTheHeap() {
#if defined(__GLIBC__)
  // Setting the threshold also stops the library from raising it.
  ::mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

} // namespace kr
