#pragma once

#include "platform/AlertPresenter.h"

#include <deque>
#include <vector>

namespace kr {

// Answers alerts from a list of button indexes given by the test (the first
// button when the list is empty) and keeps every alert it was shown.
class TestAlertPresenter final : public AlertPresenter {
public:
  int runModal(const Alert& alert) override {
    shown.push_back(alert);
    if (answers.empty())
      return 0;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<int> answers;
  std::vector<Alert> shown;
};

} // namespace kr
