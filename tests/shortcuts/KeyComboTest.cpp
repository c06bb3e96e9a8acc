#include "shortcuts/KeyCodeTable.h"
#include "shortcuts/KeyCodeTransformer.h"
#include "shortcuts/KeyTransformer.h"
#include "shortcuts/SwiftKeyCombo.h"

#include "platform/services/KeyboardLayoutAPI.h"

#include <gtest/gtest.h>

namespace kr {
namespace {

using KT = KeyTransformer;

TEST(KeyComboTest, FunctionKeyBitTravelsWithTheCombo) {
  // F5 with command and option.
  const auto f5 = SwiftKeyCombo::withCarbonModifiers(96, 2304);
  ASSERT_TRUE(f5);
  EXPECT_EQ(f5->modifiers(), 8390912);
  EXPECT_EQ(KT::cocoaFlags(f5->modifiers()), KT::kCocoaCommand | KT::kCocoaOption);
  // Help, home and forward delete are no function keys.
  for (int code : {114, 115, 117, 119, 116, 121})
    EXPECT_FALSE(KT::containsFunctionKey(code)) << code;
  for (int code : {122, 120, 99, 64, 79, 80, 90})
    EXPECT_TRUE(KT::containsFunctionKey(code)) << code;
}

TEST(KeyComboTest, InitialisersCheckTheirValues) {
  EXPECT_FALSE(SwiftKeyCombo::withCocoaModifiers(45, KT::kCocoaFunction));
  EXPECT_FALSE(SwiftKeyCombo::withCocoaModifiers(45, KT::kCocoaCapsLock));
  EXPECT_FALSE(SwiftKeyCombo::withCocoaModifiers(-1, KT::kCocoaCommand));
  const auto cocoa = SwiftKeyCombo::withCocoaModifiers(96, KT::kCocoaCommand | KT::kCocoaFunction);
  ASSERT_TRUE(cocoa);
  EXPECT_EQ(cocoa->modifiers(), 256 + KT::kFunctionKeyBit);

  const auto bare = SwiftKeyCombo::withCarbonModifiers(45, 0);
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->modifiers(), 0);
  EXPECT_FALSE(SwiftKeyCombo::withCarbonModifiers(-1, 256));
  EXPECT_FALSE(SwiftKeyCombo::withCarbonModifiers(45, -256));

  EXPECT_FALSE(SwiftKeyCombo::doubledCarbonModifiers(256 + 512));
  EXPECT_FALSE(SwiftKeyCombo::doubledCarbonModifiers(0));
  const auto doubled = SwiftKeyCombo::doubledCarbonModifiers(4096);
  ASSERT_TRUE(doubled);
  EXPECT_EQ(doubled->keyCode(), 0);
  EXPECT_EQ(doubled->modifiers(), 4096);
  EXPECT_TRUE(doubled->doubledModifiers());
  const auto cocoaDoubled =
      SwiftKeyCombo::doubledCocoaModifiers(KT::kCocoaOption | KT::kCocoaCapsLock);
  ASSERT_TRUE(cocoaDoubled);
  EXPECT_EQ(cocoaDoubled->modifiers(), 2048);
  EXPECT_FALSE(SwiftKeyCombo::doubledCocoaModifiers(KT::kCocoaOption | KT::kCocoaShift));
}

TEST(KeyComboTest, EqualityCopyAndTheKeyedForm) {
  const auto key = SwiftKeyCombo::withCarbonModifiers(0, 256);
  const auto doubled = SwiftKeyCombo::doubledCarbonModifiers(256);
  ASSERT_TRUE(key && doubled);
  // Same key code and modifiers, different doubled flag.
  EXPECT_FALSE(*key == *doubled);
  EXPECT_TRUE(*key == *key->copy());
  EXPECT_TRUE(*doubled == *doubled->copy());

  const auto decoded = SwiftKeyCombo::decoded(doubled->encoded());
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(*decoded == *doubled);
  // Decoding takes what it finds; copying such a combo goes through the checks.
  const auto broken = SwiftKeyCombo::decoded({{QStringLiteral("keyCode"), -4},
                                              {QStringLiteral("modifiers"), 256},
                                              {QStringLiteral("doubledModifiers"), false}});
  ASSERT_TRUE(broken);
  EXPECT_EQ(broken->keyCode(), -4);
  EXPECT_FALSE(broken->copy());
}

TEST(KeyComboTest, ModifierFlagConversions) {
  EXPECT_EQ(KT::carbonFlags(KT::kCocoaCommand | KT::kCocoaShift | KT::kCocoaFunction | 0x10000),
            256 + 512);
  EXPECT_EQ(KT::cocoaFlags(4096 + 2048 + KT::kFunctionKeyBit),
            KT::kCocoaControl | KT::kCocoaOption);
  EXPECT_TRUE(KT::singleCarbonFlags(512 + KT::kFunctionKeyBit));
  EXPECT_FALSE(KT::singleCarbonFlags(512 + 256));
  EXPECT_FALSE(KT::supportedCocoaFlags(KT::kCocoaFunction));
  EXPECT_TRUE(KT::supportedCarbonFlags(4096));
  // Shown by their desktop names, always Ctrl, Alt, Super, Shift.
  EXPECT_EQ(KT::modifiersToString(2304), (QStringList{"Ctrl", "Alt"}));
  EXPECT_EQ(KT::modifiersToString(512 + 4096 + 256 + 2048),
            (QStringList{"Ctrl", "Alt", "Super", "Shift"}));
  EXPECT_TRUE(KT::modifiersToString(0).isEmpty());
}

TEST(KeyComboTest, KeyTexts) {
  const KeyCodeTransformer& t = KeyCodeTransformer::shared();
  ASSERT_EQ(KeyboardLayoutAPI::installed(), nullptr);
  EXPECT_EQ(t.transformValue(49, 2304), "Space");
  EXPECT_EQ(t.transformValue(49, 0), "Space");
  EXPECT_EQ(t.transformValue(96, 0), "F5");
  EXPECT_EQ(t.transformValue(53, 0), QString(QChar(0x238B)));
  EXPECT_EQ(t.transformValue(114, 0), QStringLiteral("?\u20DD"));
  // Keypad 0 shows the clear sign; the keypad's clear key has no text.
  EXPECT_EQ(t.transformValue(82, 0), QString(QChar(0x2327)));
  EXPECT_EQ(t.transformValue(71, 0), "");
  // Other keypad keys show their digit or sign.
  EXPECT_EQ(t.transformValue(83, 0), "1");
  EXPECT_EQ(t.transformValue(92, 0), "9");
  EXPECT_EQ(t.transformValue(65, 0), ".");
  // A US layout without a desktop.
  EXPECT_EQ(t.transformValue(45, 0), "N");
  EXPECT_EQ(t.transformValue(45, 512), "N");
  EXPECT_EQ(t.transformValue(41, 0), ";");
  // Unknown and out-of-range values.
  EXPECT_EQ(t.transformValue(52, 0), "");
  EXPECT_EQ(t.transformValue(-1, 0), "");
  EXPECT_EQ(t.transformValue(70000, 0), "");
  EXPECT_EQ(t.transformValue(45, 5000000000LL), "");
  EXPECT_EQ(t.transformValueCocoa(45, KT::kCocoaCommand), "N");

  EXPECT_EQ(SwiftKeyCombo::doubledCarbonModifiers(256)->characters(), "");
  EXPECT_EQ(SwiftKeyCombo::doubledCarbonModifiers(256)->displayText(), "Ctrl Ctrl");
  EXPECT_EQ(SwiftKeyCombo::withCarbonModifiers(1, 2304)->displayText(), "Ctrl+Alt+S");
  EXPECT_EQ(SwiftKeyCombo::withCarbonModifiers(15, 4096)->displayText(), "Super+R");
  EXPECT_EQ(SwiftKeyCombo::withCarbonModifiers(31, 2816)->displayText(), "Ctrl+Alt+Shift+O");
}

class FakeLayout final : public KeyboardLayoutAPI {
public:
  QString levelOneText(quint32 xKeycode) const override {
    return xKeycode == 57 ? QStringLiteral("n") : xKeycode == 44 ? QStringLiteral("j") : QString();
  }
};

TEST(KeyComboTest, TheDesktopLayoutNamesOrdinaryKeys) {
  FakeLayout layout;
  KeyboardLayoutAPI::install(&layout);
  const KeyCodeTransformer& t = KeyCodeTransformer::shared();
  EXPECT_EQ(t.transformValue(45, 0), "N");
  EXPECT_EQ(t.transformValue(38, 0), "J");
  EXPECT_EQ(t.transformValue(0, 0), "");
  // Fixed texts and the keypad do not ask the layout.
  EXPECT_EQ(t.transformValue(122, 0), "F1");
  EXPECT_EQ(t.transformValue(84, 0), "2");
  KeyboardLayoutAPI::install(nullptr);
}

TEST(KeyComboTest, TheTableMapsPositionsModifiersAndQtKeys) {
  EXPECT_EQ(KeyCodeTable::xKeycode(45), 57u);
  EXPECT_EQ(KeyCodeTable::xKeycode(122), 67u);
  EXPECT_EQ(KeyCodeTable::xKeycode(1), 39u);
  EXPECT_FALSE(KeyCodeTable::xKeycode(52));
  EXPECT_EQ(KeyCodeTable::keyCodeFromXKeycode(57), 45);
  EXPECT_EQ(KeyCodeTable::keyCodeFromXKeycode(195), 64);
  EXPECT_FALSE(KeyCodeTable::keyCodeFromXKeycode(37)); // left Ctrl
  EXPECT_EQ(KeyCodeTable::keyCodeFromQtKey(Qt::Key_N, false), 45);
  EXPECT_EQ(KeyCodeTable::keyCodeFromQtKey(Qt::Key_Exclam, false), 18);
  EXPECT_EQ(KeyCodeTable::keyCodeFromQtKey(Qt::Key_5, true), 87);
  EXPECT_EQ(KeyCodeTable::keyCodeFromQtKey(Qt::Key_F7, false), 98);
  EXPECT_EQ(KeyCodeTable::qtKey(15), Qt::Key_R);
  // Every stored key code maps back from its X key code and its Qt key.
  for (int code = 0; code < 128; ++code) {
    if (const auto x = KeyCodeTable::xKeycode(code)) {
      EXPECT_EQ(KeyCodeTable::keyCodeFromXKeycode(*x), code);
      EXPECT_EQ(KeyCodeTable::keyCodeFromQtKey(*KeyCodeTable::qtKey(code),
                                               KeyCodeTable::isKeypadKey(code)),
                code);
    }
  }
  EXPECT_EQ(KeyCodeTable::xModifiers(256 + 2048 + 4096 + 512 + KT::kFunctionKeyBit),
            KeyCodeTable::kXControl | KeyCodeTable::kXMod1 | KeyCodeTable::kXMod4 |
                KeyCodeTable::kXShift);
  EXPECT_EQ(KeyCodeTable::carbonFromXModifiers(KeyCodeTable::kXMod4 | KeyCodeTable::kXLock | 0x10),
            4096);
  EXPECT_EQ(KeyCodeTable::qtModifiers(4096), Qt::MetaModifier);
  EXPECT_EQ(KeyCodeTable::carbonFromQtModifiers(Qt::ControlModifier | Qt::KeypadModifier), 256);
  EXPECT_EQ(KeyCodeTable::carbonModifierOfQtKey(Qt::Key_Super_L), 4096);
}

} // namespace
} // namespace kr
