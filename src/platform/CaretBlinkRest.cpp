#include "platform/CaretBlinkRest.h"

#include "platform/SmartTimerWrapper.h"

#include <QApplication>
#include <QEvent>

namespace kr {

CaretBlinkRest::CaretBlinkRest() : flashTime_(QApplication::cursorFlashTime()) {
  qApp->installEventFilter(this);
  input();
}

CaretBlinkRest::~CaretBlinkRest() {
  if (timer_)
    timer_->stop();
  if (resting_)
    QApplication::setCursorFlashTime(flashTime_);
}

bool CaretBlinkRest::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
  case QEvent::KeyPress:
  case QEvent::MouseButtonPress:
  case QEvent::InputMethod:
  case QEvent::FocusIn:
    input();
    break;
  default:
    break;
  }
  return QObject::eventFilter(watched, event);
}

void CaretBlinkRest::input() {
  if (flashTime_ <= 0)
    return; // the desktop's caret never blinks
  if (resting_) {
    resting_ = false;
    QApplication::setCursorFlashTime(flashTime_);
  }
  // One timer for the whole rest: each input only moves its end. Restarting a
  // timer per key costs nothing a user could notice.
  if (timer_)
    timer_->stop();
  timer_ = SmartTimerWrapper::wrapTimer(kRestAfterSeconds, false,
                                        [this](SmartTimerWrapper&) { rest(); });
}

void CaretBlinkRest::rest() {
  resting_ = true;
  QApplication::setCursorFlashTime(0); // a caret that stays shown
}

} // namespace kr
