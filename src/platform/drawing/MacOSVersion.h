#pragma once

#include "platform/drawing/WeakDarkModeListenerFuncReference.h"

#include <QLocale>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace kr {

// The release families the application distinguishes. On this platform the
// newest branch always applies, so the current version is the last one.
enum class MacOSVersionType {
  mavericks,
  yosemite,
  elCapitan,
  sierra,
  highSierra,
  mojave,
  catalina,
  asYetUnknownLaterVersion,
};

class PaletteChangeWatcher;

// Answers questions about the running desktop: the release family, whether a
// dark appearance is in effect, and the user's region. Tells its listeners
// when the application palette changes between light and dark.
class MacOSVersion {
public:
  // The shared instance, created on first use (after the application object).
  static MacOSVersion& singleton();

  explicit MacOSVersion(const QLocale& locale = QLocale());
  ~MacOSVersion();
  MacOSVersion(const MacOSVersion&) = delete;
  MacOSVersion& operator=(const MacOSVersion&) = delete;

  MacOSVersionType currentVersion() const { return currentVersion_; }
  QLocale internalCurrentLocale() const { return locale_; }

  // True when the application palette's window colour is dark.
  bool isDarkMode() const;
  static bool paletteIsDark();

  // Registers a listener; it is called until the returned reference is dropped.
  std::shared_ptr<WeakDarkModeListenerFuncReference>
  addDarkModeChangeListener(std::function<void(bool)> listener);
  // Registers a reference the caller already holds, without taking ownership.
  void appendDarkModeChangeListener(const std::shared_ptr<WeakDarkModeListenerFuncReference>& ref);
  // Listeners still alive.
  int darkModeChangeListenerCount() const;

  // Computes isDarkMode() once and calls every live listener, in order.
  void appearanceChanged();

  bool inGermanSpeakingWorld() const;
  bool inUK() const;
  bool inEuropeanUnion() const;
  bool inUS() const;
  bool inCanada() const;
  bool inOceania() const;
  bool inNorthAmerica() const;
  bool inAllOtherCountries() const;
  bool inEurope() const { return false; }

  // The two-letter region code of the locale, or "" when it has none.
  QString regionCode() const;

private:
  bool regionIn(std::initializer_list<const char*> codes) const;

  MacOSVersionType currentVersion_ = MacOSVersionType::asYetUnknownLaterVersion;
  QLocale locale_;
  std::vector<std::weak_ptr<WeakDarkModeListenerFuncReference>> listeners_;
  QPointer<PaletteChangeWatcher> watcher_;
};

} // namespace kr
