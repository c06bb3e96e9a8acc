#include "shortcuts/HotKeyCenter.h"
#include "shortcuts/KeyCodeTable.h"
#include "shortcuts/SwiftHotKeyManager.h"

#include "platform/services/TestHotKeyBackend.h"
#include "platform/settings/UserDefaults.h"

#include <QAction>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kr {
namespace {

constexpr quint16 kCtrlAlt = KeyCodeTable::kXControl | KeyCodeTable::kXMod1;

struct ManagerTest : ::testing::Test {
  ManagerTest() {
    const std::pair<const char*, std::pair<int, int>> table[] = {{"now", {45, 2304}},
                                                                 {"later", {37, 2304}},
                                                                 {"scratch", {35, 2304}},
                                                                 {"readObjectiveAloud", {31, 2816}},
                                                                 {"startTimeSlice", {1, 2304}},
                                                                 {"pauseTimeSlice", {32, 2304}},
                                                                 {"endTimeSlice", {14, 2304}},
                                                                 {"startTimedBreak", {11, 2304}},
                                                                 {"toggleInterface", {15, 4096}}};
    for (const auto& [root, value] : table) {
      const QString r = QString::fromLatin1(root);
      defaults.registerDefault(r + "SwiftKeyCode", value.first);
      defaults.registerDefault(r + "SwiftModifierKeys", value.second);
      defaults.registerDefault(r + "ComboType", "keyModifierCombo");
    }
    manager.setPerformAction([this](const QString& action) { performed.append(action); });
  }
  void store(const QString& root, int keyCode, int modifiers, const QString& type) {
    defaults.setValue(root + "SwiftKeyCode", keyCode);
    defaults.setValue(root + "SwiftModifierKeys", modifiers);
    defaults.setValue(root + "ComboType", type);
  }

  QTemporaryDir dir;
  UserDefaults defaults{dir.filePath("settings.conf")};
  TestHotKeyBackend backend;
  HotKeyCenter center{backend};
  SwiftHotKeyManager manager{defaults, &center};
  QStringList performed;
};

TEST_F(ManagerTest, RegistersTheNineShortcutsAndSendsTheirActions) {
  manager.registerAllHotKeys();
  EXPECT_EQ(center.hotKeys().size(), 9u);
  EXPECT_TRUE(manager.refusedRoots().isEmpty());
  // Super+R toggles the interface.
  backend.press(27, KeyCodeTable::kXMod4);
  backend.press(57, kCtrlAlt);
  backend.press(32, KeyCodeTable::kXControl | KeyCodeTable::kXMod1 | KeyCodeTable::kXShift);
  backend.press(39, kCtrlAlt);
  QCoreApplication::processEvents();
  EXPECT_EQ(performed, (QStringList{"toggleKorvaneInterface", "nowHotKey",
                                    "readObjectiveAloudHotKey", "attemptToTriggerStartTimeSlice"}));
  // Registering again replaces every hot key.
  const auto before = manager.hotKey("now");
  manager.registerAllHotKeys();
  EXPECT_NE(manager.hotKey("now"), before);
  EXPECT_EQ(center.hotKeys().size(), 9u);
  EXPECT_EQ(backend.grabs.size(), 9u);
}

TEST_F(ManagerTest, ARefusedOrDisabledRootDoesNotStopTheRest) {
  backend.taken.append({46, kCtrlAlt}); // L, held by another program
  store("pauseTimeSlice", 32, 2304, "disabled");
  manager.registerAllHotKeys();
  EXPECT_EQ(manager.refusedRoots(), QStringList{"later"});
  EXPECT_EQ(center.hotKeys().size(), 7u);
  EXPECT_FALSE(center.hotKeys().contains("pauseTimeSlice"));
  EXPECT_FALSE(manager.hotKey("pauseTimeSlice"));
  EXPECT_TRUE(center.hotKeys().contains("toggleInterface"));

  manager.disableAllHotKeys();
  EXPECT_TRUE(center.hotKeys().empty());
  EXPECT_TRUE(backend.grabs.empty());
  // The fields stay.
  EXPECT_TRUE(manager.hotKey("now"));
}

TEST_F(ManagerTest, AManagerThatGoesTakesItsHotKeysWithIt) {
  {
    SwiftHotKeyManager other(defaults, &center);
    other.registerAllHotKeys();
    EXPECT_EQ(center.hotKeys().size(), 9u);
  }
  EXPECT_TRUE(center.hotKeys().empty());
  EXPECT_TRUE(backend.grabs.empty());
}

TEST_F(ManagerTest, WithoutHotKeysNothingIsTouched) {
  manager.registerAllHotKeys();
  backend.available = false;
  manager.registerAllHotKeys();
  manager.disableAllHotKeys();
  EXPECT_EQ(center.hotKeys().size(), 9u);
}

TEST_F(ManagerTest, TheReadingRule) {
  store("now", 45, 2304, "doubled");
  EXPECT_FALSE(manager.swiftKeyCombo("now"));
  store("now", 0, 4096, "doubled");
  EXPECT_TRUE(manager.swiftKeyCombo("now")->doubledModifiers());
  store("now", -1, 2304, "keyModifierCombo");
  EXPECT_FALSE(manager.swiftKeyCombo("now"));
  store("now", 45, 2304, "something");
  EXPECT_FALSE(manager.swiftKeyCombo("now"));
  // No type at all, whatever the numbers hold.
  EXPECT_FALSE(manager.swiftKeyCombo("unknownRoot"));
  store("now", 45, 2304, "keyModifierCombo");
  EXPECT_EQ(*manager.swiftKeyCombo("now"), *SwiftKeyCombo::withCarbonModifiers(45, 2304));

  EXPECT_EQ(manager.storageKeysAndValues("later"),
            (QVariantList{"laterSwiftKeyCode", "laterSwiftModifierKeys", "laterComboType", 37LL,
                          2304LL, "keyModifierCombo"}));
  EXPECT_FALSE(manager.storageKeysAndValues("unknownRoot").at(5).isValid());
}

TEST_F(ManagerTest, AlreadyTakenComparesTheOtherEightRoots) {
  const auto laterCombo = *manager.swiftKeyCombo("later");
  EXPECT_TRUE(manager.isHotKeyAlreadyTaken("now", laterCombo));
  EXPECT_FALSE(manager.isHotKeyAlreadyTaken("now", *manager.swiftKeyCombo("now")));
  EXPECT_FALSE(manager.isHotKeyAlreadyTaken("now", *SwiftKeyCombo::withCarbonModifiers(45, 2816)));
  // A disabled root reads as no combo and takes nothing.
  store("later", 37, 2304, "disabled");
  EXPECT_FALSE(manager.isHotKeyAlreadyTaken("now", laterCombo));
  // The doubled flag counts.
  store("scratch", 0, 256, "doubled");
  EXPECT_TRUE(manager.isHotKeyAlreadyTaken("now", *SwiftKeyCombo::doubledCarbonModifiers(256)));
  EXPECT_FALSE(manager.isHotKeyAlreadyTaken("now", *SwiftKeyCombo::withCarbonModifiers(0, 256)));
}

TEST_F(ManagerTest, MenuItemsMirrorTheStoredCombos) {
  QAction item("Start Time Slice");
  QAction dock("Start Time Slice");
  manager.updateMenuShortcut(&item, &dock, "startTimeSlice");
  EXPECT_EQ(item.shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  EXPECT_EQ(dock.shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
  EXPECT_EQ(item.shortcut().toString(QKeySequence::NativeText), "Ctrl+Alt+S");
  EXPECT_EQ(item.text(), "Start Time Slice");
  EXPECT_EQ(item.shortcutContext(), Qt::WindowShortcut);

  // F5 with command: the function bit drops out.
  store("startTimeSlice", 96, 256 + 0x800000, "keyModifierCombo");
  manager.updateMenuShortcut(&item, nullptr, "startTimeSlice");
  EXPECT_EQ(item.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F5));

  // Super is shown by its name beside the title.
  store("startTimeSlice", 1, 4096 + 512, "keyModifierCombo");
  manager.updateMenuShortcut(&item, nullptr, "startTimeSlice");
  EXPECT_EQ(item.shortcut(), QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_S));
  EXPECT_EQ(item.text(), "Start Time Slice\tSuper+Shift+S");

  for (const char* type : {"disabled", "doubled"}) {
    store("startTimeSlice", 0, 256, type);
    manager.updateMenuShortcut(&item, &dock, "startTimeSlice");
    EXPECT_TRUE(item.shortcut().isEmpty());
    EXPECT_TRUE(dock.shortcut().isEmpty());
    EXPECT_EQ(item.text(), "Start Time Slice");
  }

  // The menus are told after every registration, on the event loop.
  int updates = 0;
  manager.setMenuShortcutsUpdater([&updates] { ++updates; });
  backend.available = false;
  manager.registerAllHotKeys();
  EXPECT_EQ(updates, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(updates, 1);
}

} // namespace
} // namespace kr
