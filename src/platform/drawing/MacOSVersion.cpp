#include "platform/drawing/MacOSVersion.h"

#include "platform/MacOSXVersion.h"
#include "platform/drawing/PaletteChangeWatcher.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace kr {

MacOSVersion& MacOSVersion::singleton() {
  static MacOSVersion instance;
  return instance;
}

MacOSVersion::MacOSVersion(const QLocale& locale) : locale_(locale) {
  watcher_ = PaletteChangeWatcher::install([this] { appearanceChanged(); });
  MacOSXVersion::setDarkModeProbe(&MacOSVersion::paletteIsDark);
}

MacOSVersion::~MacOSVersion() { delete watcher_.data(); }

bool MacOSVersion::paletteIsDark() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return false;
  return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

bool MacOSVersion::isDarkMode() const { return paletteIsDark(); }

std::shared_ptr<WeakDarkModeListenerFuncReference>
MacOSVersion::addDarkModeChangeListener(std::function<void(bool)> listener) {
  auto ref = std::make_shared<WeakDarkModeListenerFuncReference>();
  ref->reference = std::move(listener);
  appendDarkModeChangeListener(ref);
  return ref;
}

void MacOSVersion::appendDarkModeChangeListener(
    const std::shared_ptr<WeakDarkModeListenerFuncReference>& ref) {
  listeners_.push_back(ref);
}

int MacOSVersion::darkModeChangeListenerCount() const {
  return static_cast<int>(std::count_if(listeners_.cbegin(), listeners_.cend(),
                                        [](const auto& weak) { return !weak.expired(); }));
}

void MacOSVersion::appearanceChanged() {
  std::erase_if(listeners_, [](const auto& weak) { return weak.expired(); });
  const bool dark = isDarkMode();
  // A listener may add listeners; those hear the next change.
  const auto current = listeners_;
  for (const auto& weak : current) {
    if (const auto ref = weak.lock(); ref && ref->reference)
      ref->reference(dark);
  }
}

QString MacOSVersion::regionCode() const {
  if (locale_.territory() == QLocale::AnyTerritory)
    return {};
  return QLocale::territoryToCode(locale_.territory());
}

bool MacOSVersion::regionIn(std::initializer_list<const char*> codes) const {
  const QString region = regionCode();
  return !region.isEmpty() && std::any_of(codes.begin(), codes.end(), [&region](const char* code) {
    return region == QLatin1String(code);
  });
}

bool MacOSVersion::inGermanSpeakingWorld() const { return regionIn({"DE", "AT", "CH"}); }

bool MacOSVersion::inUK() const { return regionIn({"GB"}); }

bool MacOSVersion::inEuropeanUnion() const {
  return regionIn({"AT", "BE", "BG", "HR", "CY", "CZ", "DK", "EE", "FI",
                   "FR", "DE", "GR", "HU", "IE", "IT", "LV", "LT", "LU",
                   "MT", "NL", "PL", "PT", "RO", "SK", "SI", "ES", "SE"});
}

bool MacOSVersion::inUS() const { return regionIn({"US"}); }

bool MacOSVersion::inCanada() const { return regionIn({"CA"}); }

bool MacOSVersion::inOceania() const {
  return regionIn(
      {"AU", "NZ", "FJ", "PG", "SB", "VU", "WS", "TO", "KI", "TV", "NR", "FM", "MH", "PW"});
}

bool MacOSVersion::inNorthAmerica() const { return regionIn({"US", "CA", "MX"}); }

bool MacOSVersion::inAllOtherCountries() const {
  return !regionCode().isEmpty() && !inGermanSpeakingWorld() && !inUK() && !inEuropeanUnion() &&
         !inNorthAmerica() && !inOceania();
}

} // namespace kr
