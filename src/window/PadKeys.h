#pragma once

#include <QString>
#include <QStringList>

namespace kr {

class UserDefaults;

// The six settings that hide the pads of the main window (true: hidden; an
// unset key reads hidden) and the rules that keep at most one pad shown.
class PadKeys {
public:
  // In the pads' order: Now, Later, Scratch, Log Book, Statistics, Help.
  static const QStringList& padStorageKeyPaths();
  static const QStringList& padTitles();

  static bool isHidden(const UserDefaults& defaults, const QString& key);
  // Some pad is shown.
  static bool isPadSectionVisible(const UserDefaults& defaults);
  // Stores true under every other key that reads false; `key` is left alone.
  static void hideAllPadsExcept(UserDefaults& defaults, const QString& key);
  // Shows the pad alone.
  static void showPad(UserDefaults& defaults, const QString& key);
  // The selectors' rule: a hidden pad is shown alone, a shown pad is hidden.
  // Returns whether the pad is shown afterwards.
  static bool togglePad(UserDefaults& defaults, const QString& key);
};

} // namespace kr
