#include "platform/FatalError.h"

#include "platform/ConsoleText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kr {

namespace {
// Shows the path from "src/" on, so messages read the same on every machine.
const char* relativeSourcePath(const char* file) {
  const char* found = nullptr;
  for (const char* p = std::strstr(file, "src/"); p; p = std::strstr(p + 1, "src/"))
    found = p;
  return found ? found : file;
}
} // namespace

void fatalError(const QString& message, const char* file, int line) {
  std::fprintf(stderr, "Fatal error: %s: file %s, line %d\n",
               consoleSafe(message).toLocal8Bit().constData(), relativeSourcePath(file), line);
  std::fflush(stderr);
  std::abort();
}

} // namespace kr
