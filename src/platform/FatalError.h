#pragma once

#include <QString>

namespace kr {

// Stops the program with a message that names the source file and line.
// Used for conditions that cannot happen in a correct program.
[[noreturn]] void fatalError(const QString& message, const char* file, int line);

} // namespace kr

#define KR_FATAL(message) ::kr::fatalError((message), __FILE__, __LINE__)
#define KR_ASSERT(condition, message)                                                              \
  do {                                                                                             \
    if (!(condition))                                                                              \
      KR_FATAL(message);                                                                           \
  } while (false)
