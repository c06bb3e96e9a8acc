#include "window/MainMenu.h"

#include <QApplication>
#include <QEvent>

namespace kr {

namespace {
const char* const kActionProperty = "krAction";
}

MainMenu::MainMenu(SendAction send, CanPerform canPerform)
    : send_(std::move(send)), canPerform_(std::move(canPerform)), menu_(std::make_unique<QMenu>()) {
  menu_->setObjectName(QStringLiteral("mainMenu"));
  QMenu* app = menu_->addMenu(QStringLiteral("Korvane-R"));
  addItem(app, QStringLiteral("About Korvane-R"), QStringLiteral("orderFrontStandardAboutPanel"));
  addItem(app, QStringLiteral("Check for Updates\u2026"), QStringLiteral("checkForUpdates"));
  app->addSeparator();
  addItem(app, QStringLiteral("Preferences\u2026"), QStringLiteral("showPreferencesDialog"),
          QKeySequence(Qt::CTRL | Qt::Key_Comma));
  addItem(app, QStringLiteral("Profile Settings\u2026"), QStringLiteral("backToWelcomePage"));
  app->addSeparator();
  addItem(app, QStringLiteral("Hide Korvane-R"), QStringLiteral("hide"),
          QKeySequence(Qt::CTRL | Qt::Key_H));
  app->addSeparator();
  addItem(app, QStringLiteral("Quit Korvane-R"), QStringLiteral("terminate"),
          QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* file = menu_->addMenu(QStringLiteral("File"));
  addItem(file, QStringLiteral("Export Logs in CSV Format\u2026"), QStringLiteral("exportAsCSV"));
  file->addSeparator();
  addItem(file, QStringLiteral("Show Log Folder"), QStringLiteral("revealUserLogFolder"));

  QMenu* edit = menu_->addMenu(QStringLiteral("Edit"));
  addItem(edit, QStringLiteral("Undo"), QStringLiteral("undo"), QKeySequence::Undo);
  addItem(edit, QStringLiteral("Redo"), QStringLiteral("redo"), QKeySequence::Redo);
  edit->addSeparator();
  addItem(edit, QStringLiteral("Cut"), QStringLiteral("cut"), QKeySequence::Cut);
  addItem(edit, QStringLiteral("Copy"), QStringLiteral("copy"), QKeySequence::Copy);
  addItem(edit, QStringLiteral("Paste"), QStringLiteral("paste"), QKeySequence::Paste);
  addItem(edit, QStringLiteral("Select All"), QStringLiteral("selectAll"), QKeySequence::SelectAll);

  // The text commands go to the focused editor.
  QMenu* format = menu_->addMenu(QStringLiteral("Format"));
  addItem(format, QStringLiteral("Bold"), QStringLiteral("toggleBoldAttribute"),
          QKeySequence(Qt::CTRL | Qt::Key_B));
  addItem(format, QStringLiteral("Italic"), QStringLiteral("toggleItalicAttribute"),
          QKeySequence(Qt::CTRL | Qt::Key_I));
  addItem(format, QStringLiteral("Underline"), QStringLiteral("underline"),
          QKeySequence(Qt::CTRL | Qt::Key_U));
  addItem(format, QStringLiteral("Strikethrough"), QStringLiteral("toggleStrikeOutAttribute"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
  addItem(format, QStringLiteral("Plain Text"), QStringLiteral("makePlainText"),
          QKeySequence(Qt::CTRL | Qt::Key_Backslash));
  format->addSeparator();
  addItem(format, QStringLiteral("Mark as Completed"), QStringLiteral("markAsCompleted"),
          QKeySequence(Qt::CTRL | Qt::Key_Return));
  addItem(format, QStringLiteral("Next Field"), QStringLiteral("selectNextField"),
          QKeySequence(Qt::CTRL | Qt::Key_J));
  addItem(format, QStringLiteral("Previous Field"), QStringLiteral("selectPreviousField"),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J));

  // The work cycle's commands go to the current state.
  QMenu* slice = menu_->addMenu(QStringLiteral("Time Slice"));
  addItem(slice, QStringLiteral("Start Time Slice"),
          QStringLiteral("attemptToTriggerStartTimeSlice"));
  addItem(slice, QStringLiteral("Pause/Resume Time Slice"),
          QStringLiteral("attemptToTriggerPauseTimeSlice"));
  addItem(slice, QStringLiteral("End Time Slice"), QStringLiteral("attemptToTriggerEndTimeSlice"));
  slice->addSeparator();
  addItem(slice, QStringLiteral("Start Timed Break"),
          QStringLiteral("attemptToTriggerStartTimedBreak"));

  // The user's own continuous sound, independent of the work cycle.
  QMenu* sounds = menu_->addMenu(QStringLiteral("Sounds"));
  QAction* play = addHandledItem(sounds, QStringLiteral("Play Continuous Sound"),
                                 QStringLiteral("toggleStandaloneSound"));
  play->setCheckable(true);
  continuousSoundsMenu_ = sounds->addMenu(QStringLiteral("Continuous Sound"));
  continuousSoundsMenu_->setObjectName(QStringLiteral("continuousSoundsMenu"));
  addHandledItem(sounds, QStringLiteral("Next Sound"), QStringLiteral("nextSound"));
  addHandledItem(sounds, QStringLiteral("Previous Sound"), QStringLiteral("previousSound"));

  // The pads beside the page; the first four keep the keys of their global
  // shortcuts.
  QMenu* pads = menu_->addMenu(QStringLiteral("Pads"));
  addItem(pads, QStringLiteral("Now Pad"), QStringLiteral("nowHotKey"));
  addItem(pads, QStringLiteral("Later Pad"), QStringLiteral("laterHotKey"));
  addItem(pads, QStringLiteral("Scratch Pad"), QStringLiteral("scratchPadHotKey"));
  addItem(pads, QStringLiteral("Read Objective Aloud"), QStringLiteral("readObjectiveAloudHotKey"));
  pads->addSeparator();
  addItem(pads, QStringLiteral("Insert Breadcrumbs Template"),
          QStringLiteral("insertBreadcrumbsTemplate"));
  addItem(pads, QStringLiteral("Insert Priming Template"), QStringLiteral("insertPrimingTemplate"));
  pads->addSeparator();
  addItem(pads, QStringLiteral("Log Book"), QStringLiteral("toggleLogBook"));
  addItem(pads, QStringLiteral("Statistics"), QStringLiteral("toggleStatisticsWindow"));
  addItem(pads, QStringLiteral("Help"), QStringLiteral("toggleHelpPad"));

  QMenu* window = menu_->addMenu(QStringLiteral("Window"));
  addItem(window, QStringLiteral("Minimize"), QStringLiteral("performMiniaturize"),
          QKeySequence(Qt::CTRL | Qt::Key_M));
  addItem(window, QStringLiteral("Zoom"), QStringLiteral("performZoom"));
  window->addSeparator();
  addItem(window, QStringLiteral("Bring All to Front"), QStringLiteral("arrangeInFront"));

  QMenu* help = menu_->addMenu(QStringLiteral("Help"));
  addItem(help, QStringLiteral("Korvane-R Help"), QStringLiteral("showHelp"),
          QKeySequence(Qt::Key_F1));
  addItem(help, QStringLiteral("Korvane-R User Manual"), QStringLiteral("openUserManual"));
  addItem(help, QStringLiteral("Korvane-R for iPhone"), QStringLiteral("showIPhoneVersionInfo"));
  addItem(help, QStringLiteral("Join the Mailing List\u2026"),
          QStringLiteral("showJoinMailingListDialog"));

  for (QAction* top : menu_->actions()) {
    if (QMenu* submenu = top->menu())
      connect(submenu, &QMenu::aboutToShow, this, &MainMenu::validate);
  }

  // Commands of the pages that have keys but no menu item.
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_D), QStringLiteral("changeDuration"));
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_Plus), QStringLiteral("addOneMinute"));
  // Where "+" needs Shift (as on a US keyboard), Ctrl+= is what is pressed.
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_Equal), QStringLiteral("addOneMinute"));
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_Minus), QStringLiteral("subtractOneMinute"));
  addWindowKey(QKeySequence(Qt::CTRL | Qt::Key_T), QStringLiteral("selectTagTokenField"));
}

QMenu* MainMenu::addDebugMenu() {
  if (debugMenu_)
    return debugMenu_;
  debugMenu_ = menu_->addMenu(QStringLiteral("Debug"));
  debugMenu_->setObjectName(QStringLiteral("debugMenu"));
  QAction* logging =
      addHandledItem(debugMenu_, QStringLiteral("Logging"), QStringLiteral("toggleLogging"));
  logging->setCheckable(true);
  debugMenu_->addSeparator();
  const QStringList speeds = {QStringLiteral("Normal Speed"), QStringLiteral("Fast Speed"),
                              QStringLiteral("Warp Speed"), QStringLiteral("Warp 2 Speed")};
  const QStringList speedActions = {QStringLiteral("normalSpeed"), QStringLiteral("fastSpeed"),
                                    QStringLiteral("warpSpeed"), QStringLiteral("warp2Speed")};
  for (qsizetype i = 0; i < speeds.size(); ++i)
    addHandledItem(debugMenu_, speeds.at(i), speedActions.at(i))->setCheckable(true);
  debugMenu_->addSeparator();
  addHandledItem(debugMenu_, QStringLiteral("Log Responder Chain"),
                 QStringLiteral("logCurrentResponderChainFromApplicationDownwards"));
  addHandledItem(debugMenu_, QStringLiteral("Log Responder Chain of the Window"),
                 QStringLiteral("logCurrentResponderChainUpFromFirstResponderOfWindow"));
  addHandledItem(debugMenu_, QStringLiteral("Log Key Loop"), QStringLiteral("logKeyLoopForView"));
  debugMenu_->addSeparator();
  addItem(debugMenu_, QStringLiteral("Read Log Files Again"), QStringLiteral("forceLogRead"));
  addItem(debugMenu_, QStringLiteral("Set Remaining Time to 15 Seconds"),
          QStringLiteral("setRemainingSecondsTo15"));
  connect(debugMenu_, &QMenu::aboutToShow, this, &MainMenu::validate);
  return debugMenu_;
}

MainMenu::~MainMenu() {
  if (window_)
    qApp->removeEventFilter(this);
}

void MainMenu::addWindowKey(const QKeySequence& key, const QString& action) {
  auto* item = new QAction(menu_.get());
  item->setProperty(kActionProperty, action);
  item->setShortcut(key);
  item->setShortcutContext(Qt::WindowShortcut);
  connect(item, &QAction::triggered, this, [this, action] { send_(action); });
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
  connect(item, &QAction::triggered, this, [this, action] { perform(action); });
  return item;
}

QAction* MainMenu::addHandledItem(QMenu* submenu, const QString& title, const QString& action) {
  handledActions_.insert(action);
  return addItem(submenu, title, action);
}

void MainMenu::perform(const QString& action) {
  const auto handler = handlers_.find(action);
  if (handler != handlers_.end()) {
    const std::function<void()> run = handler->second; // it may replace itself
    run();
    return;
  }
  send_(action);
}

void MainMenu::setHandler(const QString& action, std::function<void()> handler) {
  if (handler)
    handlers_[action] = std::move(handler);
  else
    handlers_.erase(action);
}

bool MainMenu::isValid(const QString& action) const {
  if (handlers_.count(action) != 0)
    return true;
  // Actions meant for a handler of their own do nothing in the chain.
  if (handledActions_.contains(action))
    return false;
  return !canPerform_ || canPerform_(action);
}

void MainMenu::validate() {
  for (QAction* item : actionItems())
    item->setEnabled(isValid(item->property(kActionProperty).toString()));
}

QList<QAction*> MainMenu::actionItems() const {
  QList<QAction*> items;
  for (QAction* top : menu_->actions()) {
    if (!top->menu())
      continue;
    for (QAction* item : top->menu()->actions()) {
      if (!item->property(kActionProperty).toString().isEmpty())
        items.append(item);
    }
  }
  return items;
}

QAction* MainMenu::itemSending(const QString& action) const {
  for (QAction* item : actionItems()) {
    if (item->property(kActionProperty).toString() == action)
      return item;
  }
  return nullptr;
}

void MainMenu::installShortcuts(QWidget& window) {
  window.addActions(windowKeys_);
  for (QAction* item : actionItems()) {
    if (!item->shortcut().isEmpty())
      window.addAction(item);
  }
  // A key is matched against the enabled shortcuts after the focus widget was
  // asked whether it overrides it: validate the items then.
  if (!window_)
    qApp->installEventFilter(this);
  window_ = &window;
}

bool MainMenu::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == window_)
    validate();
  return QObject::eventFilter(watched, event);
}

} // namespace kr
