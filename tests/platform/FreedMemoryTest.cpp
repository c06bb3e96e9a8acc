// Pages of a library no longer in use go back to the system, and come back
// when used; the program's own data is never given back.
#include "platform/FreedMemory.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <sys/mman.h>

using namespace kr;

namespace {

// The resident kilobytes of the mapping that starts at `address`.
long residentKilobytes(const void* address) {
  std::FILE* smaps = std::fopen("/proc/self/smaps", "re");
  if (!smaps)
    return -1;
  char line[4096];
  bool inside = false;
  long rss = -1;
  while (std::fgets(line, sizeof line, smaps)) {
    unsigned long start = 0;
    unsigned long end = 0;
    // A mapping's first line begins with its addresses; the lines after it
    // with a word and a colon.
    if (std::sscanf(line, "%lx-%lx ", &start, &end) == 2) {
      inside = start == reinterpret_cast<unsigned long>(address);
    } else if (inside && std::sscanf(line, "Rss: %ld kB", &rss) == 1) {
      break;
    }
  }
  std::fclose(smaps);
  return rss;
}

} // namespace

TEST(FreedMemory, ReadOnlyMappingsOfNamedFilesAreGivenBackAndReadAgain) {
#if !defined(MADV_PAGEOUT)
  GTEST_SKIP() << "the system offers no way to give pages back";
#else
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  constexpr std::size_t kSize = 4 << 20;
  const auto mapped = [&](const QString& name, int protection) -> char* {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::ReadWrite) ||
        file.write(std::string(kSize, 'k').c_str(), kSize) != qint64(kSize))
      return nullptr;
    file.flush();
    void* at = ::mmap(nullptr, kSize, protection, MAP_PRIVATE, file.handle(), 0);
    return at == MAP_FAILED ? nullptr : static_cast<char*>(at);
  };
  char* library = mapped(QStringLiteral("libUnusedEngine.so"), PROT_READ);
  char* other = mapped(QStringLiteral("libStillUsed.so"), PROT_READ);
  char* written = mapped(QStringLiteral("libUnusedEngineData.so"), PROT_READ | PROT_WRITE);
  ASSERT_TRUE(library && other && written);
  long sum = 0;
  for (std::size_t i = 0; i < kSize; i += 4096) {
    sum += library[i] + other[i];
    written[i] = 'w'; // the program's own changes to a private copy
  }
  ASSERT_GT(sum, 0);
  ASSERT_GE(residentKilobytes(library), 4000);

  EXPECT_GE(pageOutMappedFiles({"libUnusedEngine"}), 4096);
  EXPECT_LT(residentKilobytes(library), 512) << "the named library's pages went back";
  EXPECT_GE(residentKilobytes(other), 4000) << "another file's stayed";
  EXPECT_GE(residentKilobytes(written), 4000) << "a writable mapping's stayed";
  // Used again, the pages read as they were.
  for (std::size_t i = 0; i < kSize; i += 4096) {
    ASSERT_EQ(library[i], 'k');
    ASSERT_EQ(written[i], 'w');
  }
  EXPECT_EQ(pageOutMappedFiles({"no such file"}), 0);
  ::munmap(library, kSize);
  ::munmap(other, kSize);
  ::munmap(written, kSize);
#endif
}
