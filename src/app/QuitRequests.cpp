#include "app/QuitRequests.h"

#include "platform/QnLog.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace kr {

QuitRequests::QuitRequests(std::function<void()> sessionEnds)
    : sessionEnds_(std::move(sessionEnds)) {
  qApp->installEventFilter(this);
}

QuitRequests::~QuitRequests() {
  if (qApp)
    qApp->removeEventFilter(this);
}

void QuitRequests::request() {
  if (loopRunning_) {
    // exit(), not quit(): Qt's quit asks every window to close first, and the
    // main window refuses (closing it hides or minimises it). Every loop
    // ends, a dialog's own loop as well.
    QCoreApplication::exit(0);
    return;
  }
  if (!pending_)
    qn_log(QStringLiteral("quitting as soon as the start-up is through"));
  pending_ = true;
  cancelOpenDialogs();
}

int QuitRequests::exec() {
  loopRunning_ = true;
  if (pending_)
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
  const int status = QApplication::exec();
  loopRunning_ = false;
  return status;
}

void QuitRequests::cancelOpenDialogs() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (!dialog || !dialog->isVisible() || !dialog->isModal())
      continue;
    // From within the dialog's own loop, as a key press would arrive. A
    // message box answers a close with its escape button; one without gives
    // no answer (the caller's cancel).
    QPointer<QDialog> guarded(dialog);
    QTimer::singleShot(0, dialog, [guarded] {
      if (!guarded || !guarded->isVisible())
        return;
      if (!guarded->close())
        guarded->reject();
    });
  }
}

bool QuitRequests::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Quit && watched == qApp) {
    // The session ends (Qt's own quit would ask the main window to close,
    // which it refuses).
    qn_log(QStringLiteral("the desktop session asks the program to quit"));
    if (sessionEnds_)
      sessionEnds_();
    else
      request();
    return true;
  }
  // A dialog that opens after the request is answered as cancelled too.
  if (pending_ && !loopRunning_ && event->type() == QEvent::Show &&
      qobject_cast<QDialog*>(watched) && static_cast<QWidget*>(watched)->isWindow())
    cancelOpenDialogs();
  return false;
}

} // namespace kr
