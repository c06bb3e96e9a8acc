#include "shell/ApplicationShell.h"

#include "preferences/PreferencesController.h"
#include "shell/AppDelegate.h"
#include "shell/MainController.h"

#include "effects/EffectsServices.h"
#include "effects/StandAloneNoiseMachine.h"
#include "engine/LogFileManager.h"
#include "engine/StateMachine.h"
#include "platform/QnLog.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/TestAudioOutput.h"
#include "platform/services/TestStatusItem.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/settings/UserDefaults.h"
#include "states/StateLinkingHelper.h"
#include "states/TimedState.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/StatusItemController.h"

#include "LaunchedMachine.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace kr;

namespace {

// A launched application with a tray, active, with the user's own
// continuous sound in its menu.
struct World : test::LaunchedMachine {
  ShellContext context() {
    ShellContext c = LaunchedMachine::context();
    c.applicationIsActive = [this] { return active; };
    if (!desktopModifiers)
      c.keyboardModifiers = [this] { return modifiers; };
    c.makeStatusItem = [this] {
      auto item = std::make_unique<TestStatusItem>();
      tray = item.get();
      return item;
    };
    c.quitApplication = [this] { ++quits; };
    return c;
  }

  bool active = true;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  // The modifiers held as the desktop tells them when the click comes.
  bool desktopModifiers = false;
  int quits = 0;
  TestStatusItem* tray = nullptr;
  TestAudioOutput audio;
  TestUrlOpener opener;
  ScopedUrlOpener installedOpener{opener};
  struct InstalledBrowser {
    explicit InstalledBrowser(FileBrowserAPI& browser) { FileBrowserAPI::install(&browser); }
    ~InstalledBrowser() { FileBrowserAPI::install(nullptr); }
  };
  TestFileBrowser browser;
  InstalledBrowser installedBrowser{browser};
};

struct Launched {
  explicit Launched(World& world) : shell(world.context()) {
    shell.launch();
    noise = std::make_unique<StandAloneNoiseMachine>(
        UserDefaults::standard(), EffectsServices::shared().soundManager(), world.audio);
    shell.attachStandAloneNoiseMachine(*noise);
  }
  ApplicationShell shell;
  std::unique_ptr<StandAloneNoiseMachine> noise;
};

using Path = std::function<void(ApplicationShell&)>;

// Reaches the state; a window that shows is the active one, its page's first
// responder has the focus (the edit commands act on it).
void reach(ApplicationShell& shell, const Path& path) {
  path(shell);
  MainWindow& window = *shell.appDelegate().mainWindow();
  if (window.isVisible()) {
    QApplication::setActiveWindow(&window);
    shell.mainController().tryToPerform(QStringLiteral("showInfoWindow"));
  }
  QGuiApplication::clipboard()->setText(QStringLiteral("from the clipboard"));
}

void perform(ApplicationShell& shell, const char* action) {
  shell.mainController().tryToPerform(QString::fromLatin1(action));
}

void toPrepare(ApplicationShell& shell) {
  perform(shell, "attemptToTriggerStartTimeSlice");
  perform(shell, "attemptToTriggerEndTimeSlice");
  shell.stateMachine().triggerTransition(QStringLiteral("skipLogging"));
}

// Every state of the work cycle, reached from the define page.
const std::vector<std::pair<const char*, Path>> kStates = {
    {"define", [](ApplicationShell&) {}},
    {"welcome",
     [](ApplicationShell& s) { s.stateMachine().triggerTransition(QStringLiteral("welcome")); }},
    {"running", [](ApplicationShell& s) { perform(s, "attemptToTriggerStartTimeSlice"); }},
    {"paused",
     [](ApplicationShell& s) {
       perform(s, "attemptToTriggerStartTimeSlice");
       perform(s, "attemptToTriggerPauseTimeSlice");
     }},
    {"soft break",
     [](ApplicationShell& s) {
       perform(s, "attemptToTriggerStartTimeSlice");
       s.stateMachine().triggerTransition(QStringLiteral("softBreak"));
     }},
    {"rating",
     [](ApplicationShell& s) {
       perform(s, "attemptToTriggerStartTimeSlice");
       perform(s, "attemptToTriggerEndTimeSlice");
     }},
    {"prepare timed break", toPrepare},
    {"timed break",
     [](ApplicationShell& s) {
       toPrepare(s);
       perform(s, "attemptToTriggerStartTimedBreak");
     }},
    {"informal break",
     [](ApplicationShell& s) {
       toPrepare(s);
       s.stateMachine().triggerTransition(QStringLiteral("informalBreak"));
     }},
};

// The items of both menus in a fixed order: the main menu's action items and
// its sound list, then the status menu's items.
std::vector<QAction*> itemsOf(ApplicationShell& shell) {
  std::vector<QAction*> items;
  for (QAction* item : shell.mainMenu().actionItems())
    items.push_back(item);
  for (QAction* item : shell.mainMenu().continuousSoundsMenu()->actions())
    items.push_back(item);
  // The status menu's items, those of its submenus in their place.
  const std::function<void(QMenu&)> addFrom = [&](QMenu& menu) {
    for (QAction* item : menu.actions()) {
      if (QMenu* submenu = item->menu())
        addFrom(*submenu);
      else if (!item->isSeparator() && item != shell.statusItemController()->titleItem())
        items.push_back(item);
    }
  };
  addFrom(shell.statusItemController()->menu());
  return items;
}

// Opens every menu, as the user would before choosing: the items validate.
void openMenus(ApplicationShell& shell) {
  for (QAction* top : shell.mainMenu().menu()->actions()) {
    if (QMenu* submenu = top->menu())
      Q_EMIT submenu->aboutToShow();
  }
  Q_EMIT shell.statusItemController()->menu().aboutToShow();
}

// What a user could tell apart before and after choosing an item.
using Fingerprint =
    std::tuple<const void*, bool, bool, bool, bool, int, std::size_t, int, QString, int, int,
               QString, bool, QString, qsizetype, QString, QString, qsizetype, qsizetype>;

// The pads shown beside the page.
QString shownPads() {
  QStringList shown;
  for (const QString& key : MainWindowController::padStorageKeyPaths()) {
    if (!UserDefaults::standard().boolValue(key))
      shown.append(key);
  }
  return shown.join(u',');
}

Fingerprint fingerprint(ApplicationShell& shell, World& world) {
  MainWindow& window = *shell.appDelegate().mainWindow();
  StateBase* state = shell.stateMachine().currentState();
  auto* timed = dynamic_cast<TimedState*>(state);
  QWidget* focus = QApplication::focusWidget();
  QString text;
  QString formats; // the editor's rich text and what it types next
  int start = -1;
  int end = -1;
  if (auto* line = qobject_cast<QLineEdit*>(focus)) {
    text = line->text();
    start = line->selectionStart();
    end = start + static_cast<int>(line->selectedText().size());
  } else if (auto* edit = qobject_cast<QTextEdit*>(focus)) {
    text = edit->toPlainText();
    const QTextCharFormat typing = edit->currentCharFormat();
    formats =
        edit->toHtml() + QStringLiteral("|%1 %2 %3 %4 %5 %6 %7")
                             .arg(typing.font().toString(), typing.foreground().color().name())
                             .arg(typing.isAnchor())
                             .arg(typing.fontWeight())
                             .arg(typing.fontItalic())
                             .arg(typing.fontUnderline())
                             .arg(typing.fontStrikeOut());
    start = edit->textCursor().selectionStart();
    end = edit->textCursor().selectionEnd();
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
    text = plain->toPlainText();
    start = plain->textCursor().selectionStart();
    end = plain->textCursor().selectionEnd();
  }
  UserDefaults& defaults = UserDefaults::standard();
  return {state,
          shell.appDelegate().isHidden(),
          window.isVisible(),
          window.isMinimized(),
          window.isZoomed(),
          timed ? timed->totalTime() : -1,
          world.alerts.shown.size(),
          world.quits,
          text,
          start,
          end,
          QGuiApplication::clipboard()->text(),
          defaults.boolValue(QStringLiteral("standaloneSoundOn")),
          defaults.string(QStringLiteral("standaloneSound")),
          world.audio.loopLog->calls.size(),
          shownPads(),
          formats,
          world.opener.opened.size(),
          world.browser.requests.size()};
}

// "Title" for an item of a state or of the sound list, "Title action" for an
// item that sends an action (the status menu names it by its object name).
QString describe(QAction* item) {
  QString action = item->property("krAction").toString();
  if (action.isEmpty())
    action = item->objectName();
  return action.isEmpty() ? item->text() : item->text() + QStringLiteral(" ") + action;
}

QString keyOf(const QString& description) { return description.section(QLatin1Char(' '), -1); }

// What these do does not depend on the state of the work cycle.
const QStringList kStateless = {QStringLiteral("orderFrontStandardAboutPanel"),
                                QStringLiteral("showHelp"),
                                QStringLiteral("terminate"),
                                QStringLiteral("toggleStandaloneSound"),
                                QStringLiteral("nextSound"),
                                QStringLiteral("previousSound"),
                                QStringLiteral("arrangeInFront"),
                                QStringLiteral("bringToFront"),
                                QStringLiteral("revealUserLogFolder"),
                                QStringLiteral("showContactLink"),
                                QStringLiteral("Clock"),
                                QStringLiteral("Noise")};

// The stored settings, put back before each launch so that what one chosen
// item stored (an objective cut away) does not reach the next launch.
struct StoredSettings {
  StoredSettings() {
    UserDefaults& d = UserDefaults::standard();
    for (const QString& key : d.storedKeys())
      values.insert(key, d.object(key));
  }
  void restore() const {
    UserDefaults& d = UserDefaults::standard();
    for (const QString& key : d.storedKeys()) {
      if (!values.contains(key))
        d.remove(key);
    }
    for (auto it = values.begin(); it != values.end(); ++it)
      d.setValue(it.key(), it.value());
  }
  QVariantMap values;
};

struct Defaults {
  Defaults() {
    UserDefaults& d = UserDefaults::standard();
    d.setValue(QStringLiteral("lockScreenDuringBreak"), false);
    d.setValue(QStringLiteral("durationInSeconds"), 120);
  }
  ~Defaults() {
    for (const char* key :
         {"lockScreenDuringBreak", "durationInSeconds", "standaloneSoundOn", "standaloneSound"})
      UserDefaults::standard().remove(QString::fromLatin1(key));
  }
};

} // namespace

// In every state, every item of the main menu and of the status menu either
// does something the user can see when chosen, or is disabled when its menu
// opens.
TEST(MenuValidation, EveryItemOfBothMenusInEveryStateReachesAHandlerOrIsDisabled) {
  Defaults defaults;
  const StoredSettings settings;
  for (const auto& [name, path] : kStates) {
    SCOPED_TRACE(name);
    settings.restore();
    World world;
    std::vector<bool> enabled;
    std::vector<QString> names;
    {
      Launched launched(world);
      reach(launched.shell, path);
      openMenus(launched.shell);
      QStringList on;
      for (QAction* item : itemsOf(launched.shell)) {
        enabled.push_back(item->isEnabled());
        names.push_back(describe(item));
        if (item->isEnabled())
          on.append(item->text());
      }
      std::printf("%s: enabled %s\n", name, qPrintable(on.join(QStringLiteral(", "))));
      EXPECT_TRUE(launched.shell.mainMenu().itemSending(QStringLiteral("showHelp"))->isEnabled());
      EXPECT_FALSE(launched.shell.statusItemController()->titleItem()->isEnabled());
    }
    QStringList chosen;
    for (std::size_t i = 0; i < enabled.size(); ++i) {
      if (!enabled[i])
        continue;
      // An action in both menus is chosen once per state, and one that does
      // not depend on the state only in the first.
      const QString key = keyOf(names[i]);
      if (chosen.contains(key) || (name != kStates.front().first && kStateless.contains(key)))
        continue;
      chosen.append(key);
      SCOPED_TRACE(names[i].toStdString());
      settings.restore();
      World again;
      Launched launched(again);
      reach(launched.shell, path);
      openMenus(launched.shell);
      const std::vector<QAction*> items = itemsOf(launched.shell);
      ASSERT_EQ(items.size(), enabled.size());
      QAction* item = items[i];
      ASSERT_EQ(describe(item), names[i]);
      ASSERT_TRUE(item->isEnabled());
      // Bringing the window forward is seen only when it was not.
      const QString action = item->property("krAction").toString();
      if (action == QLatin1String("arrangeInFront") ||
          item->objectName() == QLatin1String("bringToFront"))
        launched.shell.appDelegate().hide();
      const Fingerprint before = fingerprint(launched.shell, again);
      int preferencesOpened = 0;
      PreferencesController::setModalRunnerForTesting(
          [&](PreferencesController&) { ++preferencesOpened; });
      item->trigger();
      PreferencesController::setModalRunnerForTesting({});
      if (action == QLatin1String("showPreferencesDialog"))
        EXPECT_EQ(preferencesOpened, 1) << "the preferences window did not open";
      else
        EXPECT_NE(fingerprint(launched.shell, again), before) << "chosen, nothing happened";
    }
  }
}

TEST(MenuValidation, WorkCycleItemsFollowTheStateAndHideOnlyWhileActive) {
  Defaults defaults;
  World world;
  Launched launched(world);
  ApplicationShell& shell = launched.shell;
  MainMenu& main = shell.mainMenu();
  QMenu& status = shell.statusItemController()->menu();
  auto enabledIn = [&](const char* action) {
    openMenus(shell);
    const QString name = QString::fromLatin1(action);
    bool statusEnabled = false;
    for (QAction* item : status.actions()) {
      if (item->objectName() == name)
        statusEnabled = item->isEnabled();
    }
    // Both menus agree.
    EXPECT_EQ(main.itemSending(name)->isEnabled(), statusEnabled) << action;
    return statusEnabled;
  };
  // Hide: only while the application is active.
  openMenus(shell);
  EXPECT_TRUE(main.itemSending(QStringLiteral("hide"))->isEnabled());
  world.active = false;
  openMenus(shell);
  EXPECT_FALSE(main.itemSending(QStringLiteral("hide"))->isEnabled());
  world.active = true;
  // Define: start and the timed break, not pause or end.
  EXPECT_TRUE(enabledIn("attemptToTriggerStartTimeSlice"));
  EXPECT_TRUE(enabledIn("attemptToTriggerStartTimedBreak"));
  EXPECT_FALSE(enabledIn("attemptToTriggerPauseTimeSlice"));
  EXPECT_FALSE(enabledIn("attemptToTriggerEndTimeSlice"));
  // Running: the reverse.
  perform(shell, "attemptToTriggerStartTimeSlice");
  EXPECT_FALSE(enabledIn("attemptToTriggerStartTimeSlice"));
  EXPECT_FALSE(enabledIn("attemptToTriggerStartTimedBreak"));
  EXPECT_TRUE(enabledIn("attemptToTriggerPauseTimeSlice"));
  EXPECT_TRUE(enabledIn("attemptToTriggerEndTimeSlice"));
  // The slice hid the application: hiding again would do nothing.
  ASSERT_TRUE(shell.appDelegate().isHidden());
  openMenus(shell);
  EXPECT_FALSE(main.itemSending(QStringLiteral("hide"))->isEnabled());
}

TEST(MenuValidation, TheAboutBoxNamesTheProgramItsVersionAndWhatItIs) {
  World world;
  Launched launched(world);
  launched.shell.mainMenu().itemSending(QStringLiteral("orderFrontStandardAboutPanel"))->trigger();
  ASSERT_EQ(world.alerts.shown.size(), 1u);
  const Alert& about = world.alerts.shown.front();
  EXPECT_EQ(about.style, Alert::Style::informational);
  EXPECT_EQ(about.messageText, QStringLiteral("Korvane-R"));
  EXPECT_EQ(about.informativeText,
            QStringLiteral("Version %1\n\nA focus timer that logs your time slices.")
                .arg(QStringLiteral(KR_VERSION)));
  EXPECT_EQ(about.buttons, QStringList{QStringLiteral("OK")});
}

// The user's own continuous sound: off after every start, switched from the
// "Sounds" menu, its sound chosen there; disabled while no player is attached.
TEST(MenuValidation, TheSoundsMenuPlaysTheStandAloneContinuousSound) {
  Defaults defaults;
  UserDefaults& d = UserDefaults::standard();
  d.setValue(QStringLiteral("standaloneSoundOn"), true);
  World world;
  ApplicationShell shell(world.context());
  shell.launch();
  MainMenu& menu = shell.mainMenu();
  QAction* play = menu.itemSending(QStringLiteral("toggleStandaloneSound"));
  menu.validate();
  for (const char* action : {"toggleStandaloneSound", "nextSound", "previousSound"})
    EXPECT_FALSE(menu.itemSending(QString::fromLatin1(action))->isEnabled()) << action;
  EXPECT_TRUE(menu.continuousSoundsMenu()->actions().isEmpty());

  StandAloneNoiseMachine noise(d, EffectsServices::shared().soundManager(), world.audio);
  shell.attachStandAloneNoiseMachine(noise);
  menu.validate();
  EXPECT_TRUE(play->isEnabled());
  EXPECT_FALSE(d.boolValue(QStringLiteral("standaloneSoundOn")));
  EXPECT_FALSE(play->isChecked());
  QStringList sounds;
  for (QAction* item : menu.continuousSoundsMenu()->actions())
    sounds.append((item->isChecked() ? QStringLiteral("*") : QString()) + item->text());
  EXPECT_EQ(sounds, (QStringList{QStringLiteral("Ticking Clock"), QStringLiteral("*Pink Noise")}));

  play->trigger();
  EXPECT_TRUE(d.boolValue(QStringLiteral("standaloneSoundOn")));
  EXPECT_TRUE(play->isChecked());
  EXPECT_TRUE(noise.isPlaying());
  menu.itemSending(QStringLiteral("nextSound"))->trigger();
  EXPECT_EQ(d.string(QStringLiteral("standaloneSound")), QStringLiteral("clock1_c"));
  EXPECT_TRUE(menu.continuousSoundsMenu()->actions().at(0)->isChecked());
  // Switched off elsewhere: the item follows.
  d.setValue(QStringLiteral("standaloneSoundOn"), false);
  EXPECT_FALSE(play->isChecked());
  EXPECT_FALSE(noise.isPlaying());
}

// A shortcut is validated when its key is pressed, not only when its menu
// opened: an item disabled at the last opening works once its action would
// do something.
TEST(MenuValidation, ShortcutsAreValidatedWhenTheirKeyIsPressed) {
  World world;
  ApplicationShell shell(world.context());
  shell.launch();
  MainWindow& window = *shell.appDelegate().mainWindow();
  QApplication::setActiveWindow(&window);
  world.active = false;
  openMenus(shell);
  ASSERT_FALSE(shell.mainMenu().itemSending(QStringLiteral("hide"))->isEnabled());
  world.active = true;
  QTest::keyClick(&window, Qt::Key_H, Qt::ControlModifier);
  EXPECT_TRUE(shell.appDelegate().isHidden());
}

TEST(MenuValidation, ASuperClickOnTheTrayPopsTheMenuUpAndLeavesTheWindowAlone) {
  Defaults defaults;
  World world;
  Launched launched(world);
  ApplicationShell& shell = launched.shell;
  ASSERT_TRUE(world.tray);
  MainWindow& window = *shell.appDelegate().mainWindow();
  const QPoint place = window.pos();
  const bool hidden = shell.appDelegate().isHidden();
  const bool logging = QnLog::isOn();
  QnLog::setOn(true);
  test::ConsoleCapture console;
  world.modifiers = Qt::MetaModifier;
  world.tray->click(StatusItem::Click::left);
  EXPECT_EQ(world.tray->menuPopUps, 1);
  EXPECT_EQ(shell.appDelegate().isHidden(), hidden);
  EXPECT_EQ(window.pos(), place);
  // The tray pops the menu up itself on a right click.
  world.tray->click(StatusItem::Click::right);
  EXPECT_EQ(world.tray->menuPopUps, 1);
  EXPECT_EQ(shell.appDelegate().isHidden(), hidden);
  EXPECT_EQ(console.lines().filter(QStringLiteral("rightButtonDown")).size(), 2);
  EXPECT_FALSE(console.contains(QStringLiteral("leftButtonDown")));
  // A plain left click takes the window rules, no menu.
  world.modifiers = Qt::NoModifier;
  world.tray->click(StatusItem::Click::left);
  EXPECT_EQ(world.tray->menuPopUps, 1);
  EXPECT_TRUE(console.contains(QStringLiteral("KorvaneStatusItemButtonController leftButtonDown")));
  QnLog::setOn(logging);
}

// Ctrl held on the keyboard, as the click reads it from the desktop: the
// menu pops up and the window stays where and as it is.
TEST(MenuValidation, ACtrlClickOnTheTrayPopsTheMenuUpAndLeavesTheWindowAlone) {
  Defaults defaults;
  World world;
  world.desktopModifiers = true;
  Launched launched(world);
  ApplicationShell& shell = launched.shell;
  ASSERT_TRUE(world.tray);
  MainWindow& window = *shell.appDelegate().mainWindow();
  shell.appDelegate().makeFront();
  const QPoint place = window.pos();
  const bool logging = QnLog::isOn();
  QnLog::setOn(true);
  test::ConsoleCapture console;
  QTest::keyPress(&window, Qt::Key_Control, Qt::ControlModifier);
  ASSERT_EQ(QGuiApplication::queryKeyboardModifiers(), Qt::ControlModifier);
  world.tray->click(StatusItem::Click::left);
  EXPECT_EQ(world.tray->menuPopUps, 1);
  EXPECT_FALSE(shell.appDelegate().isHidden());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.pos(), place);
  EXPECT_FALSE(console.contains(QStringLiteral("leftButtonDown")));
  // Released: the same click takes the window rules.
  QTest::keyRelease(&window, Qt::Key_Control, Qt::NoModifier);
  world.tray->click(StatusItem::Click::left);
  EXPECT_EQ(world.tray->menuPopUps, 1);
  EXPECT_TRUE(console.contains(QStringLiteral("KorvaneStatusItemButtonController leftButtonDown")));
  QnLog::setOn(logging);
}

// The log items in every state: "Show Log Folder" (File menu) shows the folder,
// "Read Log Files Again" (Debug menu) asks for the reload that runs a second
// later.
TEST(MenuValidation, TheLogItemsSendTheirActionsInEveryState) {
  Defaults defaults;
  const StoredSettings settings;
  for (const auto& [name, path] : kStates) {
    SCOPED_TRACE(name);
    settings.restore();
    UserDefaults::standard().setValue(QStringLiteral("debug_menu"), true);
    World world;
    Launched launched(world);
    reach(launched.shell, path);
    openMenus(launched.shell);
    MainMenu& menu = launched.shell.mainMenu();
    QAction* show = menu.itemSending(QStringLiteral("revealUserLogFolder"));
    QAction* read = menu.itemSending(QStringLiteral("forceLogRead"));
    ASSERT_TRUE(show && read);
    EXPECT_EQ(show->text(), QStringLiteral("Show Log Folder"));
    EXPECT_EQ(read->text(), QStringLiteral("Read Log Files Again"));
    ASSERT_TRUE(show->isEnabled() && read->isEnabled());
    show->trigger();
    ASSERT_EQ(world.browser.requests.size(), 1);
    EXPECT_TRUE(world.browser.requests.first().startsWith(QStringLiteral("reveal ")));
    LogFileManager& logs = LogFileManager::sharedInstance();
    world.clock.advance(2.0); // whatever the launch asked for has run
    ASSERT_FALSE(logs.isReloadPending());
    read->trigger();
    EXPECT_TRUE(logs.isReloadPending());
    world.clock.advance(2.0);
    EXPECT_FALSE(logs.isReloadPending());
  }
  UserDefaults::standard().remove(QStringLiteral("debug_menu"));
}
