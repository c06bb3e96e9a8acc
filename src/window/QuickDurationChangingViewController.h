#pragma once

#include <QFrame>
#include <QPointer>

#include <functional>

namespace kr {

class IntegerTextField;

// A small pop-up in which the user types a new duration in whole minutes
// (2 to 60) instead of dragging a slider. Return hands the value to the
// owner's setter and closes it; Escape or a click elsewhere closes it without
// a change.
class QuickDurationChangingViewController : public QFrame {
  Q_OBJECT

public:
  QuickDurationChangingViewController();
  ~QuickDurationChangingViewController() override;

  IntegerTextField* durationDigitsField() const { return durationDigitsField_; }

  // Shows the pop-up under `slider` with `initialValue`; returns at once.
  void runModal(QWidget* slider, int initialValue, std::function<void(int minutes)> setterFunction);

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  IntegerTextField* durationDigitsField_ = nullptr;
};

} // namespace kr
