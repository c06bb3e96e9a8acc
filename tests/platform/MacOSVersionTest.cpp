#include "platform/drawing/MacOSVersion.h"
#include "platform/BundleInfo.h"
#include "platform/MacOSXVersion.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/drawing/IconManager.h"
#include "platform/settings/UserDefaults.h"
#include "support/EditionNameScope.h"

#include <QGuiApplication>
#include <QPalette>
#include <QSysInfo>

#include <gtest/gtest.h>

namespace {

using kr::MacOSVersion;
using kr::MacOSXVersion;

QPalette paletteWithWindow(const QColor& window) {
  QPalette palette = QGuiApplication::palette();
  palette.setColor(QPalette::Window, window);
  return palette;
}

class AppearanceTest : public ::testing::Test {
protected:
  void SetUp() override { original = QGuiApplication::palette(); }
  void TearDown() override { QGuiApplication::setPalette(original); }
  QPalette original;
};

TEST_F(AppearanceTest, DarkModeFollowsTheWindowColourOfThePalette) {
  MacOSVersion version;
  QGuiApplication::setPalette(paletteWithWindow(QColor(0x20, 0x20, 0x24)));
  EXPECT_TRUE(version.isDarkMode());
  EXPECT_TRUE(MacOSXVersion::isInDarkMode());
  QGuiApplication::setPalette(paletteWithWindow(QColor(0xef, 0xef, 0xef)));
  EXPECT_FALSE(version.isDarkMode());
  EXPECT_FALSE(MacOSXVersion::isInDarkMode());
}

TEST_F(AppearanceTest, ListenersHearEachPaletteChangeInOrderWhileTheyAreHeld) {
  MacOSVersion version;
  std::vector<std::pair<int, bool>> calls;
  auto first =
      version.addDarkModeChangeListener([&calls](bool dark) { calls.emplace_back(1, dark); });
  auto second =
      version.addDarkModeChangeListener([&calls](bool dark) { calls.emplace_back(2, dark); });
  auto empty = std::make_shared<kr::WeakDarkModeListenerFuncReference>();
  version.appendDarkModeChangeListener(empty); // no closure: skipped
  EXPECT_EQ(version.darkModeChangeListenerCount(), 3);

  QGuiApplication::setPalette(paletteWithWindow(Qt::black));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], std::make_pair(1, true));
  EXPECT_EQ(calls[1], std::make_pair(2, true));

  // Dropping the reference ends the listening; the list does not keep it alive.
  first.reset();
  empty.reset();
  EXPECT_EQ(version.darkModeChangeListenerCount(), 1);
  calls.clear();
  QGuiApplication::setPalette(paletteWithWindow(Qt::white));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(2, false));
}

TEST_F(AppearanceTest, AChangeWithoutListenersDoesNothing) {
  MacOSVersion version;
  EXPECT_EQ(version.darkModeChangeListenerCount(), 0);
  QGuiApplication::setPalette(paletteWithWindow(Qt::black));
  version.appearanceChanged();
  EXPECT_EQ(version.darkModeChangeListenerCount(), 0);
}

TEST_F(AppearanceTest, AGoneInstanceNoLongerWatches) {
  int calls = 0;
  std::shared_ptr<kr::WeakDarkModeListenerFuncReference> keep;
  {
    MacOSVersion version;
    keep = version.addDarkModeChangeListener([&calls](bool) { ++calls; });
  }
  QGuiApplication::setPalette(paletteWithWindow(Qt::black)); // must not reach the gone instance
  EXPECT_EQ(calls, 0);
}

TEST(MacOSVersionTest, TheCurrentVersionIsTheNewestBranch) {
  EXPECT_EQ(MacOSVersion::singleton().currentVersion(),
            kr::MacOSVersionType::asYetUnknownLaterVersion);
  EXPECT_EQ(&MacOSVersion::singleton(), &MacOSVersion::singleton());
  EXPECT_TRUE(MacOSXVersion::isElCapitanOrLater());
}

TEST(MacOSVersionTest, RegionPredicatesCompareTheLocaleRegion) {
  const MacOSVersion austria(QLocale(QLocale::German, QLocale::Austria));
  EXPECT_TRUE(austria.inGermanSpeakingWorld());
  EXPECT_TRUE(austria.inEuropeanUnion());
  EXPECT_FALSE(austria.inUK());
  EXPECT_FALSE(austria.inAllOtherCountries());
  EXPECT_FALSE(austria.inEurope()); // always false

  const MacOSVersion swiss(QLocale(QLocale::German, QLocale::Switzerland));
  EXPECT_TRUE(swiss.inGermanSpeakingWorld());
  EXPECT_FALSE(swiss.inEuropeanUnion());

  const MacOSVersion us(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_TRUE(us.inUS());
  EXPECT_TRUE(us.inNorthAmerica());
  EXPECT_FALSE(us.inCanada());
  EXPECT_EQ(us.regionCode(), QStringLiteral("US"));

  const MacOSVersion uk(QLocale(QLocale::English, QLocale::UnitedKingdom));
  EXPECT_TRUE(uk.inUK());
  EXPECT_FALSE(uk.inEuropeanUnion());

  EXPECT_TRUE(MacOSVersion(QLocale(QLocale::English, QLocale::NewZealand)).inOceania());
  EXPECT_TRUE(MacOSVersion(QLocale(QLocale::Japanese, QLocale::Japan)).inAllOtherCountries());

  // No region: every predicate answers false.
  const MacOSVersion none(QLocale::c());
  EXPECT_TRUE(none.regionCode().isEmpty());
  EXPECT_FALSE(none.inGermanSpeakingWorld() || none.inUK() || none.inEuropeanUnion() ||
               none.inUS() || none.inCanada() || none.inOceania() || none.inNorthAmerica() ||
               none.inAllOtherCountries() || none.inEurope());
}

TEST(MacOSXVersionTest, TheVersionRecordComesFromTheKernelRelease) {
  const auto parsed = MacOSXVersion::parseVersion(QStringLiteral("6.1.0-18-amd64"));
  EXPECT_EQ(parsed.majorVersion, 6);
  EXPECT_EQ(parsed.minorVersion, 1);
  EXPECT_EQ(parsed.patchVersion, 0);
  const auto twoParts = MacOSXVersion::parseVersion(QStringLiteral("5.15"));
  EXPECT_EQ(twoParts.minorVersion, 15);
  EXPECT_EQ(twoParts.patchVersion, 0);
  for (const QString& unreadable : {QString(), QStringLiteral("unknown"), QStringLiteral("-1.2")}) {
    const auto zero = MacOSXVersion::parseVersion(unreadable);
    EXPECT_EQ(zero.majorVersion + zero.minorVersion + zero.patchVersion, 0)
        << unreadable.toStdString();
  }
  const auto running = MacOSXVersion::version();
  const auto expected = MacOSXVersion::parseVersion(QSysInfo::kernelVersion());
  EXPECT_EQ(running.majorVersion, expected.majorVersion);
  EXPECT_EQ(running.minorVersion, expected.minorVersion);
  EXPECT_GT(running.majorVersion, 0);
}

TEST(MacOSXVersionTest, TimerToleranceIsSetOnTheTimer) {
  auto timer = kr::SmartTimerWrapper::wrapTimer(10.0, true, [](kr::SmartTimerWrapper&) {});
  MacOSXVersion::setTimerToTolerance(timer.get(), 2.5);
  EXPECT_DOUBLE_EQ(timer->tolerance(), 2.5);
  MacOSXVersion::setTimerToTolerance(nullptr, 1.0); // nothing to set, no failure
  timer->stop();
}

TEST(MacOSXVersionTest, TheSiblingEditionIsRecognisedByItsCustomApplicationName) {
  // The build gives none: this is the edition of its own name.
  EXPECT_TRUE(kr::BundleInfo::customApplicationName().isEmpty());
  EXPECT_FALSE(MacOSXVersion::isKorvaneC());
  EXPECT_EQ(MacOSXVersion::applicationFolderName(), QStringLiteral("Korvane-R"));
  // The application's own name does not decide it.
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(QStringLiteral("Korvane-C"));
  EXPECT_FALSE(MacOSXVersion::isKorvaneC());
  QCoreApplication::setApplicationName(name);
  {
    kr::test::EditionNameScope edition(QStringLiteral("Korvane-C"));
    EXPECT_TRUE(MacOSXVersion::isKorvaneC());
    EXPECT_EQ(MacOSXVersion::applicationFolderName(), QStringLiteral("Korvane-C"));
    edition.set(QStringLiteral("korvane-c"));
    EXPECT_FALSE(MacOSXVersion::isKorvaneC());
  }
  EXPECT_FALSE(MacOSXVersion::isKorvaneC());
}

TEST(IconManagerTest, MenuBarIconIsThePlainOneForAnyChoiceButZero) {
  auto& defaults = kr::UserDefaults::standard();
  EXPECT_EQ(kr::IconManager::menuBarIconName(), QStringLiteral("menu_bar_icon")); // unset reads 0
  for (int choice : {1, 2, -1}) {
    defaults.setValue(QStringLiteral("menubarIconChoice"), choice);
    EXPECT_EQ(kr::IconManager::menuBarIconName(), QStringLiteral("plain_r_menu_bar")) << choice;
  }
  defaults.setValue(QStringLiteral("menubarIconChoice"), 0);
  EXPECT_EQ(kr::IconManager::menuBarIconName(), QStringLiteral("menu_bar_icon"));
}

} // namespace
