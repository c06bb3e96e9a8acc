#include "window/DefaultActionKeys.h"

#include <QKeyEvent>
#include <QWidget>

namespace kr {

DefaultActionKeys* DefaultActionKeys::install(QWidget& window,
                                              std::function<void()> defaultAction) {
  return new DefaultActionKeys(window, std::move(defaultAction));
}

DefaultActionKeys::DefaultActionKeys(QWidget& window, std::function<void()> defaultAction)
    : QObject(&window), window_(window), defaultAction_(std::move(defaultAction)) {
  window.installEventFilter(this);
}

bool DefaultActionKeys::eventFilter(QObject* watched, QEvent* event) {
  // A key that no control took travels up to the window: only there is it
  // the window's own.
  if (watched != &window_ || event->type() != QEvent::KeyPress)
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
    return false;
  // Ctrl+Return and the like belong to their own commands.
  if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
    return false;
  key->accept();
  if (!key->isAutoRepeat() && defaultAction_)
    defaultAction_();
  return true;
}

} // namespace kr
