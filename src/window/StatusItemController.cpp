#include "window/StatusItemController.h"

#include "platform/MenuTitle.h"
#include "platform/services/StatusItem.h"
#include "platform/settings/UserDefaults.h"
#include "window/StatusItemMenuManager.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>

namespace kr {

namespace {
const QString kIconChoice = QStringLiteral("menubarIconChoice");
}

StatusItemController::StatusItemController(StatusItem& item, UserDefaults& defaults,
                                           SendAction send, CanPerform canPerform)
    : item_(item), defaults_(defaults), send_(std::move(send)), canPerform_(std::move(canPerform)),
      menu_(std::make_unique<QMenu>()) {
  menu_->setObjectName(QStringLiteral("statusMenu"));
  titleItem_ = menu_->addAction(QString());
  titleItem_->setEnabled(false);
  titleItem_->setVisible(false);
  addItem(QStringLiteral("Start Time Slice"), QStringLiteral("attemptToTriggerStartTimeSlice"));
  addItem(QStringLiteral("Pause/Resume Time Slice"),
          QStringLiteral("attemptToTriggerPauseTimeSlice"));
  addItem(QStringLiteral("End Time Slice"), QStringLiteral("attemptToTriggerEndTimeSlice"));
  addItem(QStringLiteral("Start Timed Break"), QStringLiteral("attemptToTriggerStartTimedBreak"));
  menu_->addSeparator();
  addItem(QStringLiteral("Show Korvane-R"), QStringLiteral("bringToFront"));
  menu_->addSeparator();
  addItem(QStringLiteral("Quit Korvane-R"), QStringLiteral("terminate"));

  connect(menu_.get(), &QMenu::aboutToShow, this, &StatusItemController::validateItems);
  item_.setMenu(menu_.get());
  StatusItemMenuManager::instance().setMenu(menu_.get());
  connect(&defaults_, &UserDefaults::changed, this, [this](const QString& key) {
    // A new icon choice shows at once.
    if (key == kIconChoice)
      setStatus(title_, state_);
  });
  setStatus(QString(), 0);
  item_.show();
}

StatusItemController::~StatusItemController() {
  StatusItemMenuManager& manager = StatusItemMenuManager::instance();
  if (manager.menu() == menu_.get()) {
    manager.removeAllItems();
    manager.setMenu(nullptr);
  }
  item_.setMenu(nullptr);
}

void StatusItemController::setStatus(const QString& title, int state) {
  title_ = title;
  state_ = state;
  const QString text = title.trimmed();
  item_.setToolTip(text.isEmpty() ? QCoreApplication::applicationName() : text);
  titleItem_->setText(menuTitle(text));
  titleItem_->setVisible(!text.isEmpty());
  const StatusIconFace face =
      StatusIconFace::forStatus(title, state, defaults_.integer(kIconChoice));
  if (face_ && *face_ == face)
    return;
  show(face);
}

QMenu* StatusItemController::addSubmenu(const QString& title, const QString& name) {
  auto* submenu = new QMenu(title, menu_.get());
  submenu->setObjectName(name);
  // "Quit Korvane-R" is the last item, its separator the one before it.
  const QList<QAction*> items = menu_->actions();
  QAction* before = items.size() >= 2 ? items.at(items.size() - 2) : nullptr;
  menu_->insertMenu(before, submenu);
  return submenu;
}

void StatusItemController::addItem(const QString& title, const QString& action) {
  QAction* item = menu_->addAction(title);
  item->setObjectName(action);
  connect(item, &QAction::triggered, this, [this, action] { send_(action); });
  fixedItems_.append(item);
}

void StatusItemController::validateItems() {
  for (QAction* item : std::as_const(fixedItems_))
    item->setEnabled(!canPerform_ || canPerform_(item->objectName()));
}

void StatusItemController::show(const StatusIconFace& face) {
  face_ = face;
  const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  item_.setImage(face.image(kIconSize, ratio));
  ++redraws_;
}

} // namespace kr
