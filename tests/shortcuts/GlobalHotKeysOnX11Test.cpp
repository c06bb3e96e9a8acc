// Global hot keys on a real X server: keys typed by xdotool (another client)
// reach the program through the root-window grabs and the raw key events.
#include "shortcuts/HotKeyCenter.h"
#include "shortcuts/KeyCodeTransformer.h"
#include "shortcuts/SwiftHotKeyManager.h"

#include "platform/linux/x11/X11HotKeyBackend.h"
#include "platform/settings/UserDefaults.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

namespace kr {
namespace {

struct GlobalHotKeysOnX11 : ::testing::Test {
  GlobalHotKeysOnX11() {
    QString why;
    backend = X11HotKeyBackend::create(&why);
    if (!backend)
      return;
    center = std::make_unique<HotKeyCenter>(*backend);
    manager = std::make_unique<SwiftHotKeyManager>(defaults, center.get());
    const std::pair<const char*, std::pair<int, int>> table[] = {
        {"now", {45, 2304}}, {"later", {37, 2304}}, {"startTimeSlice", {1, 2304}}};
    for (const auto& [root, value] : table) {
      const QString r = QString::fromLatin1(root);
      defaults.registerDefault(r + "SwiftKeyCode", value.first);
      defaults.registerDefault(r + "SwiftModifierKeys", value.second);
      defaults.registerDefault(r + "ComboType", "keyModifierCombo");
    }
    manager->setPerformAction([this](const QString& action) { performed.append(action); });
  }
  ~GlobalHotKeysOnX11() override {
    manager.reset();
    center.reset();
    backend.reset();
  }

  static void type(const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0)
        << arguments.join(' ').toStdString();
  }
  // Processes events until `count` actions arrived or five seconds passed.
  bool waitForActions(qsizetype count) {
    QDeadlineTimer deadline(5000);
    while (performed.size() < count && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return performed.size() >= count;
  }

  QTemporaryDir dir;
  UserDefaults defaults{dir.filePath("settings.conf")};
  std::unique_ptr<X11HotKeyBackend> backend;
  std::unique_ptr<HotKeyCenter> center;
  std::unique_ptr<SwiftHotKeyManager> manager;
  QStringList performed;
};

TEST_F(GlobalHotKeysOnX11, ACombinationReachesItsActionOncePerPress) {
  ASSERT_TRUE(backend);
  manager->registerAllHotKeys();
  ASSERT_TRUE(manager->refusedRoots().isEmpty());
  EXPECT_FALSE(backend->isWatchingModifiers());

  type({"key", "ctrl+alt+n"});
  ASSERT_TRUE(waitForActions(1));
  EXPECT_EQ(performed, QStringList{"nowHotKey"});

  // With Num Lock on.
  type({"key", "Num_Lock"});
  type({"key", "ctrl+alt+n"});
  type({"key", "Num_Lock"});
  ASSERT_TRUE(waitForActions(2));

  // Held: the key goes down again without coming up; then the marker.
  type({"keydown", "ctrl+alt+n", "keydown", "n", "keydown", "n", "keyup", "n", "keyup", "alt",
        "keyup", "ctrl"});
  type({"key", "ctrl+alt+s"});
  ASSERT_TRUE(waitForActions(4));
  EXPECT_EQ(performed,
            (QStringList{"nowHotKey", "nowHotKey", "nowHotKey", "attemptToTriggerStartTimeSlice"}));

  // The key's text from the server's layout.
  KeyboardLayoutAPI::install(&backend->layout());
  EXPECT_EQ(KeyCodeTransformer::shared().transformValue(45, 0), "N");
  EXPECT_EQ(KeyCodeTransformer::shared().transformValue(41, 0), ";");
  KeyboardLayoutAPI::install(nullptr);
}

TEST_F(GlobalHotKeysOnX11, ACombinationAnotherClientHoldsIsRefusedAndTheOthersFire) {
  ASSERT_TRUE(backend);
  xcb_connection_t* other = xcb_connect(nullptr, nullptr);
  ASSERT_FALSE(xcb_connection_has_error(other));
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
  // Ctrl+Alt+L (key code 46) without lock modifiers.
  xcb_generic_error_t* error = xcb_request_check(
      other, xcb_grab_key_checked(other, 0, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, 46,
                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  ASSERT_EQ(error, nullptr);

  manager->registerAllHotKeys();
  EXPECT_EQ(manager->refusedRoots(), QStringList{"later"});
  EXPECT_FALSE(center->hotKeys().contains("later"));
  type({"key", "ctrl+alt+l"});
  type({"key", "ctrl+alt+s"});
  ASSERT_TRUE(waitForActions(1));
  EXPECT_EQ(performed, QStringList{"attemptToTriggerStartTimeSlice"});
  xcb_disconnect(other);

  // Once the other client is gone the combination can be had.
  manager->registerAllHotKeys();
  EXPECT_TRUE(manager->refusedRoots().isEmpty());
}

TEST_F(GlobalHotKeysOnX11, ADoubleTappedModifierReachesItsActionAndCopyPasteDoesNot) {
  ASSERT_TRUE(backend);
  defaults.setValue("nowSwiftKeyCode", 0);
  defaults.setValue("nowSwiftModifierKeys", 256);
  defaults.setValue("nowComboType", "doubled");
  manager->registerAllHotKeys();
  ASSERT_TRUE(manager->refusedRoots().isEmpty());
  EXPECT_TRUE(backend->isWatchingModifiers());

  type({"key", "ctrl", "ctrl"});
  ASSERT_TRUE(waitForActions(1));
  EXPECT_EQ(performed, QStringList{"nowHotKey"});

  // Ctrl+C, Ctrl+V, then a marker that fires.
  type({"key", "ctrl+c", "ctrl+v"});
  type({"key", "ctrl+alt+s"});
  ASSERT_TRUE(waitForActions(2));
  EXPECT_EQ(performed, (QStringList{"nowHotKey", "attemptToTriggerStartTimeSlice"}));

  // Without a doubled combo filed, the raw events are given up.
  defaults.setValue("nowComboType", "disabled");
  manager->registerAllHotKeys();
  EXPECT_FALSE(backend->isWatchingModifiers());
  type({"key", "ctrl", "ctrl"});
  type({"key", "ctrl+alt+s"});
  ASSERT_TRUE(waitForActions(3));
  EXPECT_EQ(performed.last(), "attemptToTriggerStartTimeSlice");
  EXPECT_EQ(performed.size(), 3);
}

} // namespace
} // namespace kr
