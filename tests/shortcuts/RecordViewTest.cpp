#include "shortcuts/RecordView.h"
#include "shortcuts/KeyTransformer.h"
#include "shortcuts/RecordViewClearButton.h"
#include "shortcuts/ShortcutPreferences.h"
#include "shortcuts/SwiftHotKeyManager.h"

#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestClock.h"

#include <QAction>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace kr {
namespace {

struct RecordViewTest : ::testing::Test {
  RecordViewTest() {
    layout->addWidget(view);
    layout->addWidget(other);
    view->didChange = [this](const std::optional<SwiftKeyCombo>& combo) {
      changes.push_back(combo);
    };
    dialog.resize(300, 80);
    dialog.show();
    view->setFocus();
  }
  void tap(Qt::Key modifier) {
    QTest::keyPress(view, modifier);
    QTest::keyRelease(view, modifier);
  }

  test::TestClock clock;
  QDialog dialog;
  QVBoxLayout* layout = new QVBoxLayout(&dialog);
  RecordView* view = new RecordView;
  QLineEdit* other = new QLineEdit;
  std::vector<std::optional<SwiftKeyCombo>> changes;
};

TEST_F(RecordViewTest, ClickOrSpaceStartsRecording) {
  EXPECT_FALSE(view->isRecording());
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_TRUE(view->isRecording());
  view->endRecording();
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_TRUE(view->isRecording());
  view->setEnabled(false);
  EXPECT_FALSE(view->isRecording());
  EXPECT_FALSE(view->beginRecording());
  EXPECT_TRUE(changes.empty());
}

TEST_F(RecordViewTest, AModifierTappedTwiceWithinTheIntervalRecordsADoubledCombo) {
  ASSERT_TRUE(view->beginRecording());
  tap(Qt::Key_Control);
  clock.advance(0.29);
  tap(Qt::Key_Control);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_TRUE(changes[0]->doubledModifiers());
  EXPECT_EQ(changes[0]->modifiers(), KeyTransformer::kCarbonCommand);
  EXPECT_FALSE(view->isRecording());

  // Too slow: nothing.
  changes.clear();
  ASSERT_TRUE(view->beginRecording());
  tap(Qt::Key_Alt);
  clock.advance(0.31);
  tap(Qt::Key_Alt);
  EXPECT_TRUE(changes.empty());
  EXPECT_TRUE(view->isRecording());
}

TEST_F(RecordViewTest, KeysNeedCtrlAltOrSuperUnlessTheyAreFunctionKeys) {
  ASSERT_TRUE(view->beginRecording());
  QTest::keyClick(view, Qt::Key_A);
  QTest::keyClick(view, Qt::Key_N, Qt::ShiftModifier);
  EXPECT_TRUE(changes.empty());
  EXPECT_TRUE(view->isRecording());

  QTest::keyClick(view, Qt::Key_F7);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0]->keyCode(), 98);
  EXPECT_EQ(changes[0]->modifiers(), KeyTransformer::kFunctionKeyBit);
  EXPECT_FALSE(view->isRecording());

  ASSERT_TRUE(view->beginRecording());
  QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(*changes[1], *SwiftKeyCombo::withCarbonModifiers(45, 2304));
  EXPECT_EQ(*view->keyCombo(), *changes[1]);
}

TEST_F(RecordViewTest, HeldModifiersShowAndReleasingThemKeepsTheCombo) {
  view->setKeyCombo(SwiftKeyCombo::withCarbonModifiers(45, 2304));
  ASSERT_TRUE(view->beginRecording());
  QTest::keyPress(view, Qt::Key_Control);
  QTest::keyPress(view, Qt::Key_Alt);
  EXPECT_EQ(view->inputModifiers(), 2304);
  QTest::keyRelease(view, Qt::Key_Alt);
  QTest::keyRelease(view, Qt::Key_Control);
  EXPECT_EQ(view->inputModifiers(), 0);
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(*view->keyCombo(), *SwiftKeyCombo::withCarbonModifiers(45, 2304));
}

TEST_F(RecordViewTest, EscapeEndsTheRecordingNotTheDialogAndTabKeepsTheFocus) {
  view->setKeyCombo(SwiftKeyCombo::withCarbonModifiers(45, 2304));
  ASSERT_TRUE(view->beginRecording());
  QTest::keyClick(view, Qt::Key_Tab);
  EXPECT_EQ(dialog.focusWidget(), view);
  EXPECT_TRUE(view->isRecording());
  // A window shortcut does not see keys while recording.
  QAction shortcut(&dialog);
  shortcut.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  dialog.addAction(&shortcut);
  int triggered = 0;
  QObject::connect(&shortcut, &QAction::triggered, [&triggered] { ++triggered; });
  QTest::keyClick(view, Qt::Key_Escape);
  EXPECT_FALSE(view->isRecording());
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(*view->keyCombo(), *SwiftKeyCombo::withCarbonModifiers(45, 2304));
  EXPECT_TRUE(changes.empty());
  ASSERT_TRUE(view->beginRecording());
  QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(triggered, 0);
  EXPECT_EQ(changes.size(), 1u);
}

TEST_F(RecordViewTest, TheClearButtonClearsAndANarrowViewStillDraws) {
  view->setKeyCombo(SwiftKeyCombo::withCarbonModifiers(45, 2304));
  ASSERT_TRUE(view->beginRecording());
  view->clearButton()->click();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_FALSE(changes[0]);
  EXPECT_FALSE(view->keyCombo());
  EXPECT_FALSE(view->isRecording());

  view->setKeyCombo(SwiftKeyCombo::doubledCarbonModifiers(256));
  for (int width : {300, 60}) {
    view->setFixedSize(width, 24);
    QImage image(view->size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    view->render(&image);
    // The background is drawn and the clear button stays at the right.
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_GT(view->clearButton()->x(), width - 24);
    EXPECT_TRUE(view->clearButton()->isVisibleTo(view));
  }
  view->setShowsClearButton(false);
  EXPECT_FALSE(view->clearButton()->isVisibleTo(view));
}

struct ShortcutPreferencesTest : RecordViewTest {
  ShortcutPreferencesTest() {
    const std::pair<const char*, std::pair<int, int>> table[] = {
        {"now", {45, 2304}}, {"later", {37, 2304}}, {"startTimeSlice", {1, 2304}}};
    for (const auto& [root, value] : table) {
      const QString r = QString::fromLatin1(root);
      defaults.registerDefault(r + "SwiftKeyCode", value.first);
      defaults.registerDefault(r + "SwiftModifierKeys", value.second);
      defaults.registerDefault(r + "ComboType", "keyModifierCombo");
    }
  }
  void configure(const QString& root) {
    ShortcutPreferences::configureRecordView(*view, root, manager, defaults);
  }
  // What the settings file holds once the pending write has been made.
  UserDefaults reread() {
    defaults.flush();
    return UserDefaults(dir.filePath("settings.conf"));
  }

  QTemporaryDir dir;
  UserDefaults defaults{dir.filePath("settings.conf")};
  SwiftHotKeyManager manager{defaults};
  TestAlertPresenter alerts;
  ScopedAlertPresenter installed{alerts};
};

TEST_F(ShortcutPreferencesTest, ATakenComboIsRefusedAndTheStoredOneShown) {
  configure("now");
  EXPECT_EQ(view->keyCombo()->keyCode(), 45);
  ASSERT_TRUE(view->beginRecording());
  QTest::keyClick(view, Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(alerts.shown[0].messageText, "This key combo is already taken.");
  EXPECT_EQ(view->keyCombo()->keyCode(), 45);
  EXPECT_FALSE(defaults.hasStoredValue("nowSwiftKeyCode"));
}

TEST_F(ShortcutPreferencesTest, ClearingStoresDisabledAndFreesTheCombo) {
  configure("later");
  view->clear();
  EXPECT_EQ(reread().string("laterComboType"), "disabled");
  EXPECT_EQ(defaults.integer("laterSwiftKeyCode"), 37);
  EXPECT_EQ(defaults.integer("laterSwiftModifierKeys"), 2304);

  configure("now");
  ASSERT_TRUE(view->beginRecording());
  QTest::keyClick(view, Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(alerts.shown.isEmpty());
  UserDefaults stored = reread();
  EXPECT_EQ(stored.integer("nowSwiftKeyCode"), 37);
  EXPECT_EQ(stored.integer("nowSwiftModifierKeys"), 2304);
  EXPECT_EQ(stored.string("nowComboType"), "keyModifierCombo");
}

TEST_F(ShortcutPreferencesTest, TheMenuKeysAreOffWhileTheRecorderHasTheFocus) {
  QStringList calls;
  manager.setMenuShortcutsDisabler([&calls] { calls.append("disable"); });
  manager.setMenuShortcutsUpdater([&calls] { calls.append("update"); });
  configure("now");
  other->setFocus();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  calls.clear();
  view->setFocus();
  EXPECT_EQ(calls, QStringList{"disable"});
  other->setFocus();
  EXPECT_EQ(calls, (QStringList{"disable", "update"}));
}

TEST_F(ShortcutPreferencesTest, ItsOwnComboIsAcceptedAndADoubleTapIsRefused) {
  configure("now");
  ASSERT_TRUE(view->beginRecording());
  QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(alerts.shown.isEmpty());
  EXPECT_EQ(reread().integer("nowSwiftKeyCode"), 45);

  ASSERT_TRUE(view->beginRecording());
  tap(Qt::Key_Control);
  clock.advance(0.1);
  tap(Qt::Key_Control);
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_FALSE(view->isRecording());
  EXPECT_FALSE(view->keyCombo()->doubledModifiers());
  EXPECT_EQ(view->keyCombo()->keyCode(), 45);
  EXPECT_EQ(reread().string("nowComboType"), "keyModifierCombo");
}

} // namespace
} // namespace kr

namespace kr {
namespace {

// The three looks of a recorder, saved into the build folder for a look.
TEST_F(RecordViewTest, TheRecorderIdleRecordingAndWithACombo) {
  view->setFixedSize(260, 26);
  view->setCornerRadius(5);
  view->setBorderWidth(1);
  view->setBorderColor(QColor(200, 200, 200));
  QImage sheet(280, 3 * 36, QImage::Format_ARGB32);
  sheet.fill(QColor(236, 236, 236));
  QPainter painter(&sheet);
  const auto shoot = [&](int row) { view->render(&painter, QPoint(10, 5 + row * 36)); };
  shoot(0);
  ASSERT_TRUE(view->beginRecording());
  QTest::keyPress(view, Qt::Key_Control);
  QTest::keyPress(view, Qt::Key_Alt);
  shoot(1);
  QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
  QTest::keyRelease(view, Qt::Key_Alt);
  QTest::keyRelease(view, Qt::Key_Control);
  shoot(2);
  painter.end();
  ASSERT_TRUE(view->keyCombo());
  const QString path = QStringLiteral(KR_BUILD_DIR "/record-view.png");
  ASSERT_TRUE(sheet.save(path)) << path.toStdString();
}

} // namespace
} // namespace kr
