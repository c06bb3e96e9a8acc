#include "SoundFixture.h"

#include "effects/CompoundContinuousSoundCollectionLoader.h"
#include "effects/CompoundSoundLibraryLoader.h"
#include "effects/HushboxDetector.h"
#include "platform/settings/DynamicConfiguration.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// Loaders of the test's own, for a configuration that names them.
class OneSoundLoader : public kr::SoundLibraryLoader {
public:
  QList<kr::SoundEntry> loadSoundLibraryArray() const override {
    return {{QStringLiteral("Gong"), QStringLiteral("gong"), QStringLiteral("gong"),
             QStringLiteral("/elsewhere/gong.wav")}};
  }
};
class OneContinuousLoader : public kr::SoundCollectionLoader {
public:
  QStringList loadPrivateNamesArray() const override { return {QStringLiteral("gong")}; }
};

class SoundManagerTest : public ::testing::Test, protected kr::test::SoundFixture {
protected:
  std::unique_ptr<kr::SoundManager> sounds = makeManager();
};

TEST_F(SoundManagerTest, ListsOfferOurSoundsAndTheInstalledSystemSounds) {
  EXPECT_EQ(
      sounds->reminderSoundsPrivateNames(),
      (QStringList{QStringLiteral("clock1"), QStringLiteral("bell"), QStringLiteral("message")}));
  EXPECT_EQ(sounds->reminderSoundsLabels(),
            (QStringList{QStringLiteral("Clock"), QStringLiteral("Bell (System)"),
                         QStringLiteral("Message (System)")}));
  EXPECT_EQ(
      sounds->endSoundsPrivateNames(),
      (QStringList{QStringLiteral("sosumi"), QStringLiteral("alarm_clock"), QStringLiteral("morse"),
                   QStringLiteral("pop"), QStringLiteral("bell"), QStringLiteral("message")}));
  EXPECT_EQ(sounds->endSoundsLabels().size(), sounds->endSoundsPrivateNames().size());
  EXPECT_EQ(sounds->continuousSoundsPrivateNames(),
            (QStringList{QStringLiteral("clock1_c"), QStringLiteral("pink_noise")}));
  EXPECT_EQ(sounds->continuousSoundsLabels(),
            (QStringList{QStringLiteral("Ticking Clock"), QStringLiteral("Pink Noise")}));
  // Every sound a registered setting names is in the library.
  for (const char* name :
       {"sosumi", "clock1", "clock1_c", "alarm_clock", "morse", "pop", "pink_noise"})
    EXPECT_TRUE(sounds->hasSound(QString::fromLatin1(name))) << name;
  EXPECT_EQ(sounds->getFilePathFromPrivateName(QStringLiteral("morse")),
            QStringLiteral("/own/morse.wav"));
  EXPECT_EQ(sounds->getFilePathFromPrivateName(QStringLiteral("bell")),
            theme.path() + QStringLiteral("/bell.oga"));
  EXPECT_FALSE(sounds->hasSound(QStringLiteral("complete"))); // not installed
}

TEST_F(SoundManagerTest, MakesItsLoadersOfTheClassesItsConfigurationNames) {
  using kr::DynamicConfiguration;
  // As built: the compound loaders, which give the program's library and
  // continuous sounds while Hushbox is not installed.
  EXPECT_EQ(DynamicConfiguration::classNameForKey(QStringLiteral("SoundLibraryLoader"),
                                                  QStringLiteral("SoundManager")),
            QStringLiteral("CompoundSoundLibraryLoader"));
  EXPECT_EQ(DynamicConfiguration::classNameForKey(QStringLiteral("ContinuousSoundsLoader"),
                                                  QStringLiteral("SoundManager")),
            QStringLiteral("CompoundContinuousSoundCollectionLoader"));
  kr::SoundManager built(*defaults, audio);
  EXPECT_TRUE(built.hasSound(QStringLiteral("sosumi")));
  EXPECT_EQ(built.continuousSoundsPrivateNames(), sounds->continuousSoundsPrivateNames());

  // A configuration that names other classes: those load.
  QTemporaryDir folder(kr::test::temporaryHome() + QStringLiteral("/config-XXXXXX"));
  QFile file(folder.path() + QStringLiteral("/SoundManager.json"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(R"({"SoundLibraryLoader": "OneSoundLoader",
                 "ContinuousSoundsLoader": "OneContinuousLoader"})");
  file.close();
  DynamicConfiguration::registerClass<kr::SoundLibraryLoader, OneSoundLoader>(
      QStringLiteral("OneSoundLoader"));
  DynamicConfiguration::registerClass<kr::SoundCollectionLoader, OneContinuousLoader>(
      QStringLiteral("OneContinuousLoader"));
  const QString before = DynamicConfiguration::propertyListFolder();
  DynamicConfiguration::setPropertyListFolder(folder.path());
  kr::SoundManager other(*defaults, audio);
  DynamicConfiguration::setPropertyListFolder(before);
  EXPECT_FALSE(other.hasSound(QStringLiteral("sosumi")));
  EXPECT_EQ(other.getFilePathFromPrivateName(QStringLiteral("gong")),
            QStringLiteral("/elsewhere/gong.wav"));
  EXPECT_EQ(other.continuousSoundsLabels(), QStringList{QStringLiteral("Gong")});
}

TEST_F(SoundManagerTest, EventSoundsRespectMuteWhilePreviewsDoNot) {
  sounds->playSoundWithPrivateName(QStringLiteral("pop"), 0.5f);
  ASSERT_EQ(audio.oneShots.size(), 1u);
  EXPECT_EQ(audio.oneShots[0].filePath, QStringLiteral("/own/pop.wav"));
  EXPECT_FLOAT_EQ(audio.oneShots[0].volume, 0.5f);
  EXPECT_TRUE(audio.oneShots[0].deviceId.isEmpty());
  EXPECT_FALSE(audio.oneShots[0].lastSecondOnly);

  const int stopsBefore = audio.stopOneShotsCount;
  sounds->setAllSoundsAreMuted(true);
  EXPECT_GT(audio.stopOneShotsCount, stopsBefore); // muting stops what plays
  ASSERT_TRUE(defaults->flush());
  EXPECT_TRUE(kr::UserDefaults(defaults->filePath()).boolValue(QStringLiteral("mute"))); // saved
  sounds->playSoundWithPrivateName(QStringLiteral("pop"), 1.0f);
  EXPECT_EQ(audio.oneShots.size(), 1u);
  sounds->playSampleWithPrivateName(QStringLiteral("alarm_clock"), 1.0f);
  ASSERT_EQ(audio.oneShots.size(), 2u);
  EXPECT_TRUE(audio.oneShots[1].lastSecondOnly);
}

TEST_F(SoundManagerTest, ANewSoundCutsOffThePreviousOne) {
  sounds->playSoundWithPrivateName(QStringLiteral("pop"), 1.0f);
  const int stops = audio.stopOneShotsCount;
  sounds->playSoundWithPrivateName(QStringLiteral("morse"), 1.0f);
  EXPECT_EQ(audio.stopOneShotsCount, stops + 1);
  EXPECT_EQ(audio.oneShots.size(), 2u);
}

TEST_F(SoundManagerTest, AnUnknownSoundPlaysNothingAndSaysSoOnce) {
  kr::test::ConsoleCapture console;
  sounds->playSoundWithPrivateName(QStringLiteral("hushbox_rain"), 1.0f);
  sounds->playSoundWithPrivateName(QStringLiteral("hushbox_rain"), 1.0f);
  EXPECT_TRUE(audio.oneShots.empty());
  EXPECT_EQ(console.lines().filter(QStringLiteral("hushbox_rain cannot be found")).size(), 1);
}

TEST_F(SoundManagerTest, DevicesAreChosenByIdAndAGoneDeviceLendsItsSoundsToTheSystemDefault) {
  EXPECT_EQ(sounds->audioDevices(),
            (QStringList{QStringLiteral("Use the System's Default Output"),
                         QStringLiteral("USB Headset"), QStringLiteral("Built-in Audio")}));
  EXPECT_EQ(sounds->audioDeviceUIDWithIndex(0), QStringLiteral("useSystemDefault"));
  EXPECT_EQ(sounds->indexOfDeviceWithUID(QStringLiteral("alsa_output.pci")), 2);
  EXPECT_EQ(sounds->indexOfDeviceWithName(QStringLiteral("Nothing")), -1);

  defaults->setValue(QStringLiteral("soundOutputDevice"), QStringLiteral("alsa_output.usb"));
  sounds->playSoundWithPrivateName(QStringLiteral("pop"), 1.0f);
  EXPECT_EQ(audio.oneShots.back().deviceId, QStringLiteral("alsa_output.usb"));

  const kr::AudioOutputDevice headset = audio.devices.takeFirst(); // unplugged
  QSignalSpy changes(sounds.get(), &kr::SoundManager::outputDevicesChanged);
  ASSERT_TRUE(audio.devicesChanged);
  audio.devicesChanged();
  EXPECT_EQ(changes.count(), 1);
  sounds->playSoundWithPrivateName(QStringLiteral("pop"), 1.0f);
  EXPECT_TRUE(audio.oneShots.back().deviceId.isEmpty());
  EXPECT_EQ(sounds->getCurrentSoundOutputDeviceIdentifier(), QStringLiteral("useSystemDefault"));
  // The choice stays stored and is used again once the headset is back.
  EXPECT_EQ(defaults->string(QStringLiteral("soundOutputDevice")),
            QStringLiteral("alsa_output.usb"));
  audio.devices.prepend(headset);
  audio.devicesChanged();
  sounds->playSoundWithPrivateName(QStringLiteral("pop"), 1.0f);
  EXPECT_EQ(audio.oneShots.back().deviceId, QStringLiteral("alsa_output.usb"));
}

TEST_F(SoundManagerTest, WithoutAnyDeviceOrSoundServerTheListStillHasTheDefaultAndPlayingIsQuiet) {
  audio.devices.clear();
  audio.available = false;
  auto bare = makeManager();
  EXPECT_EQ(bare->audioDevices().size(), 1);
  kr::test::ConsoleCapture console;
  bare->playSoundWithPrivateName(QStringLiteral("pop"), 1.0f);
  bare->playSoundWithPrivateName(QStringLiteral("morse"), 1.0f);
  EXPECT_TRUE(audio.oneShots.empty());
  EXPECT_EQ(console.lines().filter(QStringLiteral("No sound: no sound server")).size(), 1);
}

TEST(SoundLibraryLoaderTest, AMissingOrDamagedMappingGivesAnEmptyLibrary) {
  kr::test::ConsoleCapture console;
  kr::SimpleSoundLibraryLoader missing(kr::SoundFolders{}, QStringLiteral("/nonexistent.json"));
  EXPECT_TRUE(missing.loadSoundLibraryArray().isEmpty());
  const QString damaged = kr::test::temporaryHome() + QStringLiteral("/damaged.json");
  QFile file(damaged);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[{\"Label\": ");
  file.close();
  EXPECT_TRUE(
      kr::SimpleSoundLibraryLoader(kr::SoundFolders{}, damaged).loadSoundLibraryArray().isEmpty());
  EXPECT_EQ(console.lines().size(), 2);
  EXPECT_FALSE(kr::HushboxDetector::hushboxDetected());
}

// Hushbox's sounds join the library after the program's: the first of its
// ".m4a", its ".aif" and the theme's sound that exists; a name the library
// has, or a sound with no file, is left out.
TEST_F(SoundManagerTest, HushboxSoundsAreMergedAfterTheProgramsOwn) {
  QTemporaryDir app(kr::test::temporaryHome() + QStringLiteral("/Hushbox-XXXXXX"));
  const QString res = app.path() + QStringLiteral("/Contents/Resources/");
  ASSERT_TRUE(QDir().mkpath(res));
  const auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile file(res + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };
  write(QStringLiteral("SoundMappingFile.json"), R"([
    {"Label": "Rain", "PrivateName": "rain", "FileName": "rain"},
    {"Label": "Brook", "PrivateName": "brook", "FileName": "brook"},
    {"Label": "Wind", "PrivateName": "wind", "FileName": "wind"},
    {"Label": "Hushbox Pop", "PrivateName": "pop", "FileName": "pop"},
    {"Label": "Gone", "PrivateName": "gone", "FileName": "gone"},
    {"Label": "Bell Again", "PrivateName": "bell2", "FileName": "system_bell"},
    {"Label": "Rain Again", "PrivateName": "rain", "FileName": "brook"}])");
  write(QStringLiteral("ContinuousSoundPrivateNames.json"), R"(["rain", "pink_noise", "brook"])");
  for (const char* file :
       {"rain.m4a", "brook.aif", "brook.m4a", "wind.aif", "pop.m4a", "gone.aiff"})
    write(QString::fromLatin1(file), "sound");
  kr::HushboxDetector::setApplicationPath(app.path());
  auto merged = std::make_unique<kr::SoundManager>(
      *defaults, audio,
      std::make_unique<kr::CompoundSoundLibraryLoader>(
          kr::SoundFolders{QStringLiteral("/own"), theme.path()}),
      std::make_unique<kr::CompoundContinuousSoundCollectionLoader>());
  kr::HushboxDetector::setApplicationPath({});

  QStringList names;
  for (const kr::SoundEntry& entry : merged->soundLibrary())
    names << entry.privateName;
  EXPECT_EQ(names.mid(sounds->soundLibrary().size()),
            (QStringList{QStringLiteral("rain"), QStringLiteral("brook"), QStringLiteral("wind"),
                         QStringLiteral("bell2")}));
  const struct {
    const char* name;
    QString path;
  } files[] = {{"rain", res + QStringLiteral("rain.m4a")},
               {"brook", res + QStringLiteral("brook.m4a")},
               {"wind", res + QStringLiteral("wind.aif")},
               {"bell2", theme.path() + QStringLiteral("/bell.oga")},
               {"pop", QStringLiteral("/own/pop.wav")},
               {"gone", QString()}};
  for (const auto& file : files) {
    EXPECT_EQ(merged->getFilePathFromPrivateName(QString::fromLatin1(file.name)), file.path)
        << file.name;
  }
  EXPECT_EQ(merged->labelOf(QStringLiteral("pop")), QStringLiteral("Pop"));
  EXPECT_EQ(merged->continuousSoundsPrivateNames(),
            (QStringList{QStringLiteral("clock1_c"), QStringLiteral("pink_noise"),
                         QStringLiteral("rain"), QStringLiteral("brook")}));
  EXPECT_EQ(merged->continuousSoundsLabels().mid(2),
            (QStringList{QStringLiteral("Rain"), QStringLiteral("Brook")}));
  // Where Hushbox is not, the program's own list alone.
  EXPECT_EQ(kr::CompoundContinuousSoundCollectionLoader().loadPrivateNamesArray(),
            sounds->continuousSoundsPrivateNames());
}

} // namespace
