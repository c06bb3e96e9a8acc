#pragma once

#include "platform/AlertPresenterAPI.h"

#include <QList>

#include <deque>

namespace kr {

// Keeps every alert it is shown and answers from `answers` in turn, then with
// `answer`. Tests only.
class TestAlertPresenter final : public AlertPresenterAPI {
public:
  int runModal(const Alert& alert) override {
    shown.append(alert);
    if (answers.empty())
      return answer;
    const int next = answers.front();
    answers.pop_front();
    return next;
  }
  QList<Alert> shown;
  std::deque<int> answers;
  int answer = 0;
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
