#include "window/MainMenu.h"

namespace kr {

namespace {
const char* const kActionProperty = "krAction";
}

MainMenu::MainMenu(SendAction send) : send_(std::move(send)), menu_(std::make_unique<QMenu>()) {
  menu_->setObjectName(QStringLiteral("mainMenu"));
  QMenu* app = menu_->addMenu(QStringLiteral("Korvane-R"));
  addItem(app, QStringLiteral("About Korvane-R"), QStringLiteral("orderFrontStandardAboutPanel"));
  app->addSeparator();
  addItem(app, QStringLiteral("Preferences\u2026"), QStringLiteral("showPreferences"),
          QKeySequence(Qt::CTRL | Qt::Key_Comma));
  addItem(app, QStringLiteral("Profile Settings\u2026"), QStringLiteral("backToWelcomePage"));
  app->addSeparator();
  addItem(app, QStringLiteral("Hide Korvane-R"), QStringLiteral("hide"),
          QKeySequence(Qt::CTRL | Qt::Key_H));
  app->addSeparator();
  addItem(app, QStringLiteral("Quit Korvane-R"), QStringLiteral("terminate"),
          QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* edit = menu_->addMenu(QStringLiteral("Edit"));
  addItem(edit, QStringLiteral("Undo"), QStringLiteral("undo"), QKeySequence::Undo);
  addItem(edit, QStringLiteral("Redo"), QStringLiteral("redo"), QKeySequence::Redo);
  edit->addSeparator();
  addItem(edit, QStringLiteral("Cut"), QStringLiteral("cut"), QKeySequence::Cut);
  addItem(edit, QStringLiteral("Copy"), QStringLiteral("copy"), QKeySequence::Copy);
  addItem(edit, QStringLiteral("Paste"), QStringLiteral("paste"), QKeySequence::Paste);
  addItem(edit, QStringLiteral("Select All"), QStringLiteral("selectAll"), QKeySequence::SelectAll);

  QMenu* window = menu_->addMenu(QStringLiteral("Window"));
  addItem(window, QStringLiteral("Minimize"), QStringLiteral("performMiniaturize"),
          QKeySequence(Qt::CTRL | Qt::Key_M));
  addItem(window, QStringLiteral("Zoom"), QStringLiteral("performZoom"));
  window->addSeparator();
  addItem(window, QStringLiteral("Bring All to Front"), QStringLiteral("arrangeInFront"));

  QMenu* help = menu_->addMenu(QStringLiteral("Help"));
  addItem(help, QStringLiteral("Korvane-R Help"), QStringLiteral("showHelp"),
          QKeySequence(Qt::Key_F1));

  // Commands of the pages that have keys but no menu item.
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_D), QStringLiteral("changeDuration"));
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_Plus), QStringLiteral("addOneMinute"));
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_Minus), QStringLiteral("subtractOneMinute"));
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_T), QStringLiteral("selectTagTokenField"));
}

MainMenu::~MainMenu() = default;

void MainMenu::addWindowKey(const QKeySequence& key, const QString& action) {
  auto* item = new QAction(menu_.get());
  item->setProperty(kActionProperty, action);
  item->setShortcut(key);
  item->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(item, &QAction::triggered, item, [this, action] { send_(action); });
  windowKeys_.append(item);
}

QAction* MainMenu::addItem(QMenu* submenu, const QString& title, const QString& action,
                           const QKeySequence& shortcut) {
  QAction* item = submenu->addAction(title);
  item->setProperty(kActionProperty, action);
  if (!shortcut.isEmpty()) {
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WindowShortcut);
  }
  QObject::connect(item, &QAction::triggered, item, [this, action] { send_(action); });
  return item;
}

QAction* MainMenu::itemSending(const QString& action) const {
  for (QAction* top : menu_->actions()) {
    if (!top->menu())
      continue;
    for (QAction* item : top->menu()->actions()) {
      if (item->property(kActionProperty).toString() == action)
        return item;
    }
  }
  return nullptr;
}

void MainMenu::installShortcuts(QWidget& window) const {
  window.addActions(windowKeys_);
  for (QAction* top : menu_->actions()) {
    if (!top->menu())
      continue;
    for (QAction* item : top->menu()->actions()) {
      if (!item->shortcut().isEmpty())
        window.addAction(item);
    }
  }
}

} // namespace kr
