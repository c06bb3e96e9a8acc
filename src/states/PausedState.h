#pragma once

#include "states/ModernUIState.h"

#include "kit/text/ObjectiveTextView.h"

#include <QPointer>

namespace kr {

class TagTokenField;

// A paused time slice. Nothing is counted here: the seconds already worked
// stay with the logger, from which the running state works out the rest when
// the slice resumes. The slice may also be finished (rated) or aborted.
class PausedState : public ModernUIState {
public:
  PausedState();

  const StateExits& exits() const override;
  void build() override;
  // Shows the page with the whole objective selected.
  void activate() override;
  QString menuItemText() const override { return {}; }
  // The status item shows its "on" state while a slice is paused.
  int menuItemState() const override { return 1; }

  StateBase* continueTimeSlice = nullptr;
  StateBase* abort = nullptr;
  StateBase* finish = nullptr;

  // Asks the user; on OK forgets the worked seconds and the extension and
  // returns to defining a slice. Any other answer keeps the paused slice.
  void abortTimeSlice();
  void pauseOrResumeTimeSlice();
  void stopTimeSlice();
  void selectTagTokenField();

  TagTokenField* tagTokenField() const { return tagTokenField_; }

  ObjectiveTextView* objectiveTextView() const { return objectiveTextView_; }

private:
  QPointer<ObjectiveTextView> objectiveTextView_;
  TagTokenField* tagTokenField_ = nullptr;
};

} // namespace kr
