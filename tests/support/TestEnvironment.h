#pragma once

#include "app/Sanitizers.h"

#include <QString>
#include <QStringList>

namespace kr::test {

// A bound on wall-clock time for a step under test. The sanitizers slow every
// step several times over, and their test run shares the machine with seven
// others: there a bound is the product's times five.
constexpr long long timeLimit(long long milliseconds) {
#if KR_ADDRESS_SANITIZER
  return milliseconds * 5;
#else
  return milliseconds;
#endif
}

// Whether the build's times speak for the product's: an optimised build
// without the sanitizers. A bound on work that grows with the data (encoding a
// 50 MB sheet) is checked only there: an unoptimised sanitizer build spends
// far more than timeLimit's factor on it, and its tests check what is done.
#if defined(__OPTIMIZE__) && !KR_ADDRESS_SANITIZER
constexpr bool kTimedBuild = true;
#else
constexpr bool kTimedBuild = false;
#endif

// The temporary folder that stands in for the user's home during a test run.
// HOME and the XDG folders point inside it; it is removed when the run ends.
QString temporaryHome();

// While alive, console warnings whose text contains one of the given pieces
// are expected and do not fail the running test. `seen()` counts them.
class ExpectWarnings {
public:
  explicit ExpectWarnings(QStringList fragments);
  ~ExpectWarnings();
  ExpectWarnings(const ExpectWarnings&) = delete;
  ExpectWarnings& operator=(const ExpectWarnings&) = delete;
  int seen() const { return seen_; }

  static bool consume(const QString& message);

private:
  QStringList fragments_;
  int seen_ = 0;
  ExpectWarnings* previous_;
};

// Collects the console lines (debug, info, warning) written while alive.
class ConsoleCapture {
public:
  ConsoleCapture();
  ~ConsoleCapture();
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;
  const QStringList& lines() const { return lines_; }
  bool contains(const QString& fragment) const;

  static void record(const QString& line);

private:
  QStringList lines_;
  ConsoleCapture* previous_;
};

} // namespace kr::test
