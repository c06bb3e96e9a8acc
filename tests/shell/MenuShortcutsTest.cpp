// The menu items that mirror the global shortcuts, in the assembled shell.
#include "LaunchedMachine.h"

#include "engine/StateMachine.h"
#include "shell/MainController.h"
#include "shortcuts/HotKeyCenter.h"
#include "shortcuts/SwiftHotKeyManager.h"
#include "window/MainMenu.h"
#include "window/StatusItemController.h"

#include "platform/services/TestHotKeyBackend.h"
#include "platform/services/TestStatusItem.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <gtest/gtest.h>

namespace kr::test {
namespace {

struct MenuShortcutsTest : ::testing::Test {
  MenuShortcutsTest() {
    HotKeyCenter::install(&center);
    ShellContext c = machine.context();
    c.makeStatusItem = [] { return std::make_unique<TestStatusItem>(true); };
    shell = std::make_unique<ApplicationShell>(std::move(c));
    shell->launch();
    QCoreApplication::processEvents();
  }
  ~MenuShortcutsTest() override {
    shell.reset();
    HotKeyCenter::install(nullptr);
  }
  QAction* trayItem(const char* action) {
    return shell->statusItemController()->menu().findChild<QAction*>(action);
  }

  LaunchedMachine machine;
  TestHotKeyBackend backend;
  HotKeyCenter center{backend};
  std::unique_ptr<ApplicationShell> shell;
};

TEST_F(MenuShortcutsTest, TheItemsShowTheStoredCombosAndLoseThemWhileDisabled) {
  // Registered at launch: the nine defaults.
  EXPECT_EQ(center.hotKeys().size(), 9u);
  QAction* start = trayItem("attemptToTriggerStartTimeSlice");
  QAction* pause = trayItem("attemptToTriggerPauseTimeSlice");
  ASSERT_TRUE(start && pause);
  EXPECT_EQ(start->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  EXPECT_EQ(pause->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
  EXPECT_EQ(trayItem("attemptToTriggerEndTimeSlice")->shortcut(),
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E));
  EXPECT_EQ(trayItem("attemptToTriggerStartTimedBreak")->shortcut(),
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_B));
  // Main-menu items, where the menu has them, follow as well.
  if (QAction* item = shell->mainMenu().itemSending("attemptToTriggerStartTimeSlice")) {
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  }

  ASSERT_TRUE(shell->mainController().tryToPerform("disableMenuShortcuts"));
  EXPECT_TRUE(start->shortcut().isEmpty());
  EXPECT_TRUE(pause->shortcut().isEmpty());
  if (QAction* item = shell->mainMenu().itemSending("attemptToTriggerStartTimeSlice")) {
    EXPECT_TRUE(item->shortcut().isEmpty());
  }

  // A new combo for pausing, a disabled start; shown after the next registration.
  UserDefaults& d = UserDefaults::standard();
  d.setValue("pauseTimeSliceSwiftKeyCode", 15);
  d.setValue("pauseTimeSliceSwiftModifierKeys", 4096);
  d.setValue("startTimeSliceComboType", "disabled");
  SwiftHotKeyManager::shared().registerAllHotKeys();
  QCoreApplication::processEvents();
  EXPECT_TRUE(start->shortcut().isEmpty());
  EXPECT_EQ(pause->shortcut(), QKeySequence(Qt::META | Qt::Key_R));
  EXPECT_EQ(pause->text(), "Pause/Resume Time Slice\tSuper+R");
  d.remove("pauseTimeSliceSwiftKeyCode");
  d.remove("pauseTimeSliceSwiftModifierKeys");
  d.remove("startTimeSliceComboType");
}

TEST_F(MenuShortcutsTest, AHotKeyReachesTheMainController) {
  // Ctrl+Alt+S in the define-time-slice state starts a slice.
  const StateBase* before = shell->stateMachine().currentState();
  ASSERT_TRUE(before);
  ASSERT_TRUE(backend.press(39, 0x4 | 0x8));
  QCoreApplication::processEvents();
  EXPECT_NE(shell->stateMachine().currentState(), before);
}

} // namespace
} // namespace kr::test
