#include "kit/SmartMenuItem.h"

#include <QMenu>

namespace kr {

SmartMenuItem::SmartMenuItem(const QString& title, ActionFunc action, UpdateFunc updateAction,
                             QObject* parent)
    : QAction(title, parent), actionFunc(action ? std::move(action) : ActionFunc([] {})),
      updateBeforeDisplayFunc(std::move(updateAction)) {
  connect(this, &QAction::triggered, this, &SmartMenuItem::buttonPressed);
}

void SmartMenuItem::buttonPressed() { actionFunc(); }

void SmartMenuItem::updateBeforeDisplay() {
  if (updateBeforeDisplayFunc)
    updateBeforeDisplayFunc(this);
}

bool SmartMenuItem::validateMenuItem() {
  return traditionalValidateFunc ? traditionalValidateFunc(this) : true;
}

void SmartMenuItem::updateItemsOf(QMenu* menu) {
  const QList<QAction*> actions = menu->actions();
  for (QAction* action : actions) {
    if (auto item = qobject_cast<SmartMenuItem*>(action))
      item->updateBeforeDisplay();
  }
}

void SmartMenuItem::validateItemsOf(QMenu* menu) {
  const QList<QAction*> actions = menu->actions();
  for (QAction* action : actions) {
    if (auto item = qobject_cast<SmartMenuItem*>(action))
      item->setEnabled(item->validateMenuItem());
  }
}

} // namespace kr
