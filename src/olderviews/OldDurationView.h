#pragma once

#include <QWidget>

#include <limits>

class QKeyEvent;

namespace kr {

class TimeControlBottomView;

// Takes a duration typed as digits: a digit sets that many minutes, and a
// second digit within a second of the first makes a two-digit number with
// it ("4" then "5" gives 45). The minutes go to the bottom view, which keeps
// them within the slider's range. Other keys go on to the view's parent.
class OldDurationView : public QWidget {
  Q_OBJECT

public:
  // Digits typed less than this many seconds apart make one number.
  static constexpr double kDigitPairSeconds = 1.0;

  TimeControlBottomView* timeControlBottomView() const { return timeControlBottomView_; }
  void setTimeControlBottomView(TimeControlBottomView* view) { timeControlBottomView_ = view; }
  // When the last digit was taken (clock seconds; the distant past before
  // the first), and that digit.
  double lastDigitAccepted() const { return lastDigitAccepted_; }
  int lastDigitThatWasAccepted() const { return lastDigitThatWasAccepted_; }

protected:
  void keyPressEvent(QKeyEvent* event) override { keyDown(event); }
  void keyDown(QKeyEvent* event);

private:
  friend class OlderViewRegistry;
  explicit OldDurationView(QWidget* parent = nullptr);

  TimeControlBottomView* timeControlBottomView_ = nullptr;
  double lastDigitAccepted_ = -std::numeric_limits<double>::infinity();
  int lastDigitThatWasAccepted_ = 0;
};

} // namespace kr
