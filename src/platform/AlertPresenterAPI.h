#pragma once

#include <QString>
#include <QStringList>

namespace kr {

// A modal alert: a message, an explanation and its buttons.
struct Alert {
  QString messageText;
  QString informativeText;
  QStringList buttons;
};

// Shows alerts for parts of the system that have no window of their own. The
// shell installs the windowed presenter at start-up; until then (and in a
// program without windows) an alert is written to the console and answered
// with its first button.
class AlertPresenterAPI {
public:
  virtual ~AlertPresenterAPI() = default;

  // Shows the alert and returns the index of the button chosen.
  virtual int runModal(const Alert& alert) = 0;

  static AlertPresenterAPI& shared();
  // Not owned; nullptr restores the console presenter.
  static void install(AlertPresenterAPI* presenter);
};

// Records alerts and answers each with a chosen button. Tests only.
class TestAlertPresenter final : public AlertPresenterAPI {
public:
  int runModal(const Alert& alert) override {
    shown.append(alert);
    return answer;
  }
  QList<Alert> shown;
  int answer = 0;
};

} // namespace kr
