#include "olderviews/OldDurationView.h"

#include "olderviews/TimeControlBottomView.h"

#include "engine/Clock.h"

#include <QKeyEvent>

namespace kr {

OldDurationView::OldDurationView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

void OldDurationView::keyDown(QKeyEvent* event) {
  const QString typed = event->text();
  const bool withCommand =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (withCommand || typed.isEmpty() || !typed.at(0).isDigit()) {
    event->ignore(); // for the parent
    return;
  }
  const int digit = typed.at(0).digitValue();
  const double now = Clock::now();
  const int value =
      now - lastDigitAccepted_ < kDigitPairSeconds ? lastDigitThatWasAccepted_ * 10 + digit : digit;
  lastDigitThatWasAccepted_ = digit;
  lastDigitAccepted_ = now;
  if (timeControlBottomView_)
    timeControlBottomView_->attemptToSetDurationTo(value);
  event->accept();
}

} // namespace kr
