#include "shortcuts/HotKeyCenter.h"
#include "shortcuts/KeyCodeTable.h"

#include "platform/services/TestHotKeyBackend.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace kr {
namespace {

constexpr quint16 kCtrl = KeyCodeTable::kXControl;
constexpr quint16 kAlt = KeyCodeTable::kXMod1;
constexpr quint16 kShift = KeyCodeTable::kXShift;

struct Fixture : ::testing::Test {
  std::shared_ptr<HotKey> make(const QString& id, std::optional<SwiftKeyCombo> combo) {
    return HotKey::make(id, *combo, HotKey::ActionQueue::main,
                        [this](HotKey& hotKey) { fired.append(hotKey.identifier()); });
  }
  void run() { QCoreApplication::processEvents(); }

  TestHotKeyBackend backend;
  HotKeyCenter center{backend};
  QStringList fired;
};

TEST_F(Fixture, RegistersKeyCombosThroughTheBackEnd) {
  auto now = make("now", SwiftKeyCombo::withCarbonModifiers(45, 2304));
  ASSERT_TRUE(center.registerHotKey(now));
  EXPECT_EQ(now->hotKeyId(), 0u);
  EXPECT_TRUE(now->isGrabbed());
  ASSERT_EQ(backend.grabs.size(), 1u);
  EXPECT_EQ(backend.grabs.at(0), (TestHotKeyBackend::Key{57, kCtrl | kAlt}));

  // The same identifier again is refused; the first stays.
  auto again = make("now", SwiftKeyCombo::withCarbonModifiers(37, 2304));
  EXPECT_FALSE(center.registerHotKey(again));
  EXPECT_EQ(center.hotKeys().at("now"), now);
  EXPECT_EQ(center.hotKeyCount(), 1u);

  // A press reaches the action once, on the event loop, and not before.
  EXPECT_TRUE(backend.press(57, kCtrl | kAlt));
  EXPECT_TRUE(fired.isEmpty());
  run();
  EXPECT_EQ(fired, QStringList{"now"});
  EXPECT_FALSE(backend.press(57, kCtrl));
}

TEST_F(Fixture, ARefusedGrabChangesNothing) {
  backend.taken.append({39, kCtrl | kAlt});
  auto start = make("startTimeSlice", SwiftKeyCombo::withCarbonModifiers(1, 2304));
  EXPECT_FALSE(center.registerHotKey(start));
  EXPECT_TRUE(center.hotKeys().empty());
  EXPECT_TRUE(backend.grabs.empty());
  EXPECT_EQ(center.hotKeyCount(), 0u);
  EXPECT_FALSE(start->hotKeyId());

  backend.available = false;
  EXPECT_FALSE(center.registerHotKey(make("later", SwiftKeyCombo::withCarbonModifiers(37, 2304))));
}

TEST_F(Fixture, KeysThatCannotStandAloneAreNeverGrabbed) {
  EXPECT_FALSE(center.registerHotKey(make("a", SwiftKeyCombo::withCarbonModifiers(45, 0))));
  EXPECT_FALSE(center.registerHotKey(make("b", SwiftKeyCombo::withCarbonModifiers(45, 512))));
  EXPECT_FALSE(center.registerHotKey(make("c", SwiftKeyCombo::withCarbonModifiers(52, 256))));
  EXPECT_EQ(backend.grabAttempts, 0);
  // F7 alone and Shift+F7 may.
  EXPECT_TRUE(center.registerHotKey(make("d", SwiftKeyCombo::withCarbonModifiers(98, 0))));
  EXPECT_TRUE(center.registerHotKey(make("e", SwiftKeyCombo::withCarbonModifiers(98, 512))));
  EXPECT_EQ(backend.grabs.size(), 2u);
}

TEST_F(Fixture, DoubledCombosAreFiledWithoutAGrabAndWatchedOnlyThen) {
  EXPECT_FALSE(backend.watching);
  auto key = make("now", SwiftKeyCombo::withCarbonModifiers(45, 2304));
  ASSERT_TRUE(center.registerHotKey(key));
  EXPECT_FALSE(backend.watching);
  auto ctrlTwice = make("later", SwiftKeyCombo::doubledCarbonModifiers(256));
  ASSERT_TRUE(center.registerHotKey(ctrlTwice));
  EXPECT_EQ(ctrlTwice->hotKeyId(), 1u);
  EXPECT_FALSE(ctrlTwice->isGrabbed());
  EXPECT_EQ(backend.grabs.size(), 1u);
  EXPECT_TRUE(backend.watching);

  // Ctrl twice within the interval.
  backend.modifiers(1.0, kCtrl);
  backend.modifiers(1.05, 0);
  backend.modifiers(1.2, kCtrl);
  backend.modifiers(1.25, 0);
  run();
  EXPECT_EQ(fired, QStringList{"later"});

  // Ctrl then Shift: nothing; Ctrl+Alt, Alt up, Ctrl again: nothing.
  fired.clear();
  backend.modifiers(3.0, kCtrl);
  backend.modifiers(3.05, 0);
  backend.modifiers(3.1, kShift);
  backend.modifiers(3.15, 0);
  backend.modifiers(5.0, kCtrl);
  backend.modifiers(5.01, kCtrl | kAlt);
  backend.modifiers(5.02, kCtrl);
  backend.modifiers(5.03, 0);
  backend.modifiers(5.04, kCtrl);
  // Ctrl+C, Ctrl+V.
  backend.modifiers(7.0, kCtrl);
  backend.modifiers(7.01, kCtrl, true);
  backend.modifiers(7.05, 0);
  backend.modifiers(7.1, kCtrl);
  backend.modifiers(7.11, kCtrl, true);
  run();
  EXPECT_TRUE(fired.isEmpty());

  center.unregisterHotKey(ctrlTwice);
  EXPECT_FALSE(backend.watching);
}

TEST_F(Fixture, UnregisteringEmptiesTheMapsAndKeepsTheCount) {
  auto now = make("now", SwiftKeyCombo::withCarbonModifiers(45, 2304));
  auto later = make("later", SwiftKeyCombo::doubledCarbonModifiers(2048));
  ASSERT_TRUE(center.registerHotKey(now));
  ASSERT_TRUE(center.registerHotKey(later));
  center.unregisterHotKey(QStringLiteral("nobody"));
  EXPECT_EQ(center.hotKeys().size(), 2u);
  center.unregisterAll();
  EXPECT_TRUE(center.hotKeys().empty());
  EXPECT_TRUE(center.hotKeyMap().empty());
  EXPECT_TRUE(backend.grabs.empty());
  EXPECT_FALSE(now->hotKeyId());
  EXPECT_FALSE(now->isGrabbed());
  EXPECT_FALSE(later->hotKeyId());
  EXPECT_EQ(center.hotKeyCount(), 2u);
  // Numbers are never reused.
  ASSERT_TRUE(center.registerHotKey(now));
  EXPECT_EQ(now->hotKeyId(), 2u);
}

TEST_F(Fixture, AnActionOfAHotKeyGoneMeanwhileIsSkipped) {
  auto now = make("now", SwiftKeyCombo::withCarbonModifiers(45, 2304));
  ASSERT_TRUE(center.registerHotKey(now));
  backend.press(57, kCtrl | kAlt);
  center.unregisterAll();
  now.reset();
  run();
  EXPECT_TRUE(fired.isEmpty());
}

// A target of the target form: records the hot keys it was sent.
class Receiver : public QObject {
  Q_OBJECT
public:
  Q_INVOKABLE void nowHotKey(kr::HotKey* hotKey) { received.append(hotKey->identifier()); }
  QStringList received;
};

TEST_F(Fixture, TheTargetFormSendsTheActionThroughItsQueueOnlyToATargetThatHasIt) {
  auto receiver = std::make_shared<Receiver>();
  const SwiftKeyCombo combo = *SwiftKeyCombo::withCarbonModifiers(45, 2304);
  auto later = HotKey::make("now", combo, receiver, "nowHotKey", HotKey::ActionQueue::main);
  ASSERT_TRUE(center.registerHotKey(later));
  receiver.reset(); // the hot key holds its target
  backend.press(57, kCtrl | kAlt);
  auto* target = qobject_cast<Receiver*>(later->target().get());
  EXPECT_TRUE(target->received.isEmpty()) << "the main queue runs it later";
  run();
  EXPECT_EQ(target->received, QStringList{"now"});

  auto atOnce =
      HotKey::make("s", combo, later->target(), "nowHotKey", HotKey::ActionQueue::session);
  atOnce->invoke();
  EXPECT_EQ(target->received, (QStringList{"now", "s"}));
  // No such method, or no target: nothing happens.
  HotKey::make("x", combo, later->target(), "laterHotKey", HotKey::ActionQueue::session)->invoke();
  HotKey::make("z", combo, nullptr, "nowHotKey", HotKey::ActionQueue::session)->invoke();
  EXPECT_EQ(target->received.size(), 2);
}

} // namespace
} // namespace kr

#include "HotKeyCenterTest.moc"
