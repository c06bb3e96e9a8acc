#include "window/PadKeys.h"

#include "platform/settings/UserDefaults.h"

namespace kr {

const QStringList& PadKeys::padStorageKeyPaths() {
  static const QStringList keys = {
      QStringLiteral("nowPadHidden"),     QStringLiteral("laterPadHidden"),
      QStringLiteral("scratchPadHidden"), QStringLiteral("logBookPadHidden"),
      QStringLiteral("statsPadHidden"),   QStringLiteral("helpPadHidden")};
  return keys;
}

const QStringList& PadKeys::padTitles() {
  static const QStringList titles = {QStringLiteral("Now Pad"),     QStringLiteral("Later Pad"),
                                     QStringLiteral("Scratch Pad"), QStringLiteral("Log Book"),
                                     QStringLiteral("Statistics"),  QStringLiteral("Help")};
  return titles;
}

bool PadKeys::isHidden(const UserDefaults& defaults, const QString& key) {
  return !defaults.defined(key) || defaults.boolValue(key);
}

bool PadKeys::isPadSectionVisible(const UserDefaults& defaults) {
  for (const QString& key : padStorageKeyPaths()) {
    if (!isHidden(defaults, key))
      return true;
  }
  return false;
}

void PadKeys::hideAllPadsExcept(UserDefaults& defaults, const QString& key) {
  for (const QString& other : padStorageKeyPaths()) {
    if (other != key && !isHidden(defaults, other))
      defaults.setValue(other, true);
  }
}

void PadKeys::showPad(UserDefaults& defaults, const QString& key) {
  for (const QString& other : padStorageKeyPaths()) {
    if (other == key)
      defaults.setValue(key, false);
    else if (!isHidden(defaults, other))
      defaults.setValue(other, true);
  }
}

bool PadKeys::togglePad(UserDefaults& defaults, const QString& key) {
  const bool wasHidden = isHidden(defaults, key);
  if (wasHidden)
    hideAllPadsExcept(defaults, key);
  defaults.setValue(key, !wasHidden);
  return wasHidden;
}

} // namespace kr
