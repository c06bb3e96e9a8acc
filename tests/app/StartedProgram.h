#pragma once

#include "app/Program.h"

#include "engine/Clock.h"
#include "support/TestClock.h"

#include <QString>
#include <QStringList>

#include <memory>

class QAbstractButton;
class QTimer;

namespace kr::test {

// The program as main() builds it, on the test clock: a machine that has
// launched before, with the given settings written before start-up.
struct StartedProgram {
  explicit StartedProgram(const QVariantMap& settings = {});
  ~StartedProgram();

  // The visible button of the main window with that title; fails the test
  // when there is none.
  QAbstractButton* button(const QString& title) const;
  // Clicks it as a user does.
  void click(const QString& title) const;

  TestClock clock;
  TestDateProvider date;
  std::unique_ptr<Program> program;
};

// Answers the next message box the program shows by pressing the button with
// that title, and keeps what the box said. Works while the box runs its own
// event loop; when no box comes, nothing is answered.
class AlertAnswerer {
public:
  explicit AlertAnswerer(QString button);
  ~AlertAnswerer();
  AlertAnswerer(const AlertAnswerer&) = delete;
  AlertAnswerer& operator=(const AlertAnswerer&) = delete;

  // The texts of the boxes answered ("message | informative text").
  QStringList seen;

private:
  void poll();
  QString button_;
  QTimer* timer_;
};

} // namespace kr::test
