#include "kit/PopUpButton.h"

#include "kit/SmartMenuItem.h"

#include <QMenu>

#include <algorithm>
#include <utility>

namespace kr {

PopUpButton::PopUpButton(bool pullsDown, QWidget* parent)
    : QPushButton(parent), menu_(new QMenu(this)), pullsDown_(pullsDown) {
  // Connected before the button's own opening of its menu on the same press,
  // so that it runs first.
  connect(this, &QAbstractButton::pressed, this, &PopUpButton::openUnlessEmpty);
  setMenu(menu_);
  connect(menu_, &QMenu::aboutToShow, this, [this] {
    if (!std::exchange(preparedForOpening_, false))
      menuWillOpen();
  });
  connect(menu_, &QMenu::triggered, this, [this](QAction* action) {
    const int index = int(menu_->actions().indexOf(action));
    // A separator is never chosen.
    if (index < 0 || action->isSeparator())
      return;
    if (!pullsDown_)
      selectItemAt(index);
    Q_EMIT itemChosen(index);
  });
}

PopUpButton* PopUpButton::standardPullDownButton(const QString& title) {
  auto* button = new PopUpButton(true);
  button->setTitle(title);
  button->addItem(title);
  return button;
}

void PopUpButton::setPullsDown(bool pullsDown) {
  pullsDown_ = pullsDown;
  refreshFace();
}

QAction* PopUpButton::addItem(const QString& title) {
  auto* action = new QAction(title, menu_);
  addAction(action);
  return action;
}

void PopUpButton::addAction(QAction* action) {
  if (!action->parent())
    action->setParent(menu_);
  menu_->addAction(action);
  if (!pullsDown_ && selected_ < 0)
    selected_ = 0;
  refreshFace();
}

int PopUpButton::numberOfItems() const { return int(menu_->actions().size()); }

QAction* PopUpButton::itemAt(int index) const { return menu_->actions().value(index); }

QString PopUpButton::itemTitleAt(int index) const {
  QAction* action = itemAt(index);
  return action ? action->text() : QString();
}

void PopUpButton::removeAllItems() {
  const QList<QAction*> actions = menu_->actions();
  for (QAction* action : actions) {
    menu_->removeAction(action);
    if (action->parent() == menu_)
      delete action;
  }
  selected_ = -1;
  refreshFace();
}

void PopUpButton::selectItemAt(int index) {
  selected_ = index >= 0 && index < numberOfItems() ? index : -1;
  refreshFace();
}

QString PopUpButton::titleOfSelectedItem() const { return itemTitleAt(selected_); }

void PopUpButton::setTitle(const QString& title) {
  if (pullsDown_) {
    if (QAction* first = itemAt(0))
      first->setText(title);
    setText(title);
  } else if (QAction* chosen = itemAt(selected_)) {
    chosen->setText(title);
    setText(title);
  } else {
    setText(title);
  }
}

void PopUpButton::refreshFace() {
  if (pullsDown_) {
    if (QAction* first = itemAt(0))
      setText(first->text());
  } else if (QAction* chosen = itemAt(selected_)) {
    setText(chosen->text());
  }
}

// An empty menu would still open as a bare frame that holds the pointer and
// the keyboard until the next click, which it swallows: a press that finds
// nothing to choose leaves it closed and says so instead.
void PopUpButton::openUnlessEmpty() {
  menuWillOpen();
  if (offersAChoice()) {
    preparedForOpening_ = true;
    return;
  }
  // The button opens its menu only while it is down.
  setDown(false);
  Q_EMIT pressedWithNothingToChoose();
}

bool PopUpButton::offersAChoice() const {
  const QList<QAction*> actions = menu_->actions();
  return std::any_of(actions.begin(), actions.end(), [](const QAction* action) {
    return action->isVisible() && !action->isSeparator();
  });
}

// A pull-down's first item is its face, not an entry of the opened menu; the
// other items are validated as the menu opens.
void PopUpButton::menuWillOpen() {
  const QList<QAction*> actions = menu_->actions();
  for (qsizetype i = 0; i < actions.size(); ++i) {
    actions[i]->setVisible(!(pullsDown_ && i == 0));
    if (!pullsDown_ && !actions[i]->isSeparator()) {
      actions[i]->setCheckable(true);
      actions[i]->setChecked(i == selected_);
    }
  }
  SmartMenuItem::validateItemsOf(menu_);
}

} // namespace kr
