#pragma once

#include <QStringList>

namespace kr {

// The two modifier encodings of the stored shortcuts: the Carbon values kept in
// the settings and registered, and the Cocoa event flags the recorder works in.
// Only command, shift, option and control count; every other bit is dropped.
class KeyTransformer {
public:
  static constexpr int kCarbonCommand = 256;
  static constexpr int kCarbonShift = 512;
  static constexpr int kCarbonOption = 2048;
  static constexpr int kCarbonControl = 4096;
  static constexpr int kCarbonModifierMask =
      kCarbonCommand | kCarbonShift | kCarbonOption | kCarbonControl;
  // Added to the modifiers of a combo whose key is one of F1 to F20.
  static constexpr int kFunctionKeyBit = 0x800000;

  static constexpr int kCocoaShift = 0x20000;
  static constexpr int kCocoaControl = 0x40000;
  static constexpr int kCocoaOption = 0x80000;
  static constexpr int kCocoaCommand = 0x100000;
  static constexpr int kCocoaFunction = 0x800000;
  static constexpr int kCocoaCapsLock = 0x10000;
  static constexpr int kCocoaModifierMask =
      kCocoaShift | kCocoaControl | kCocoaOption | kCocoaCommand;

  static int carbonFlags(int cocoaFlags);
  static int cocoaFlags(int carbonFlags);
  static bool supportedCarbonFlags(int carbonFlags);
  static bool supportedCocoaFlags(int cocoaFlags);
  static bool singleCarbonFlags(int carbonFlags);
  static bool singleCocoaFlags(int cocoaFlags);
  static bool containsFunctionKey(int keyCode);

  // The names of the modifiers present, as the desktop says them: "Ctrl",
  // "Alt", "Super", "Shift", always in that order (command, option, control,
  // shift).
  static QStringList modifiersToString(int carbonFlags);
  static QStringList cocoaModifiersToString(int cocoaFlags);
};

} // namespace kr
