#pragma once

#include "platform/services/AlertPresenterAPI.h"

#include <QList>

#include <deque>
#include <functional>

namespace kr {

// Keeps every alert it is shown and answers from `answers` in turn, then with
// `answer`. The answer `pressHelp` presses the alert's "Help" button: its
// delegate runs and the alert is shown again (an alert without help answers
// -1 to it); `pressEscape` presses the Escape key. The suppression check box
// is ticked when `tickSuppression` is (only on an alert that shows it).
// `whileOpen` runs while each alert is shown, before it is answered: what
// the program does meanwhile (a hot key, a timer, a later launch's action).
// Tests only.
class TestAlertPresenter final : public AlertPresenterAPI {
public:
  static constexpr int pressHelp = -2;
  static constexpr int pressEscape = -3;

  AlertAnswer respond(const Alert& alert) override {
    const bool suppressed = tickSuppression && alert.showsSuppressionButton;
    for (;;) {
      shown.append(alert);
      if (whileOpen)
        whileOpen(alert);
      const int next = nextAnswer();
      if (next == pressEscape)
        return {alert.escapeButton, suppressed};
      if (next != pressHelp)
        return {next, suppressed};
      if (!alert.helpDelegate)
        return {-1, suppressed};
      ++helpPresses;
      alert.helpDelegate->alertShowHelp(alert);
    }
  }
  QList<Alert> shown;
  int helpPresses = 0;
  std::deque<int> answers;
  int answer = 0;
  bool tickSuppression = false;
  std::function<void(const Alert&)> whileOpen;

private:
  int nextAnswer() {
    // Help pressed for ever would never answer.
    if (answers.empty())
      return answer == pressHelp ? -1 : answer;
    const int next = answers.front();
    answers.pop_front();
    return next;
  }
};

// Installs a presenter for the lifetime of a scope.
class ScopedAlertPresenter {
public:
  explicit ScopedAlertPresenter(AlertPresenterAPI& presenter)
      : previous_(AlertPresenterAPI::installed()) {
    AlertPresenterAPI::install(&presenter);
  }
  ~ScopedAlertPresenter() { AlertPresenterAPI::install(previous_); }
  ScopedAlertPresenter(const ScopedAlertPresenter&) = delete;
  ScopedAlertPresenter& operator=(const ScopedAlertPresenter&) = delete;

private:
  AlertPresenterAPI* previous_;
};

} // namespace kr
