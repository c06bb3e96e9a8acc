#include "effects/OutputDeviceManager.h"

#include "SoundFixture.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace {

class OutputDeviceManagerTest : public ::testing::Test, protected kr::test::SoundFixture {
protected:
  QStringList items() {
    QStringList out;
    for (int i = 0; i < popUp.count(); ++i)
      out << (i == popUp.currentIndex() ? QStringLiteral("*") : QString()) + popUp.itemText(i);
    return out;
  }

  std::unique_ptr<kr::SoundManager> sounds = makeManager();
  QComboBox popUp;
  int previews = 0;
  kr::OutputDeviceManager manager{*defaults, *sounds, &popUp, [this] {
                                    ++previews;
                                    sounds->playSampleWithPrivateName(
                                        defaults->string(QStringLiteral("startSound")), 1.0f);
                                  }};
};

TEST_F(OutputDeviceManagerTest, TheListShowsTheDefaultFirstAndSelectsTheStoredDevice) {
  defaults->setValue(QStringLiteral("soundOutputDevice"), QStringLiteral("alsa_output.pci"));
  manager.awakeFromNib();
  EXPECT_EQ(items(),
            (QStringList{QStringLiteral("Use the System's Default Output"),
                         QStringLiteral("USB Headset"), QStringLiteral("*Built-in Audio")}));
}

TEST_F(OutputDeviceManagerTest, ChoosingADeviceStoresItsIdAndPlaysTheStartSoundThere) {
  manager.awakeFromNib();
  EXPECT_EQ(items().first(), QStringLiteral("*Use the System's Default Output"));
  Q_EMIT popUp.activated(1);
  EXPECT_EQ(defaults->string(QStringLiteral("soundOutputDevice")),
            QStringLiteral("alsa_output.usb"));
  EXPECT_EQ(items(),
            (QStringList{QStringLiteral("Use the System's Default Output"),
                         QStringLiteral("*USB Headset"), QStringLiteral("Built-in Audio")}));
  EXPECT_EQ(previews, 1);
  ASSERT_EQ(audio.oneShots.size(), 1u);
  EXPECT_EQ(audio.oneShots[0].deviceId, QStringLiteral("alsa_output.usb"));
  EXPECT_TRUE(audio.oneShots[0].filePath.endsWith(QStringLiteral("/sosumi.wav")));
}

TEST_F(OutputDeviceManagerTest, WithoutDevicesTheListHasTheOneDefaultItem) {
  audio.devices.clear();
  auto bare = makeManager();
  QComboBox single;
  kr::OutputDeviceManager m(*defaults, *bare, &single, {});
  m.awakeFromNib();
  ASSERT_EQ(single.count(), 1);
  EXPECT_EQ(single.currentIndex(), 0);
  m.changeDevice(5); // off the list
  EXPECT_EQ(defaults->string(QStringLiteral("soundOutputDevice")),
            QStringLiteral("useSystemDefault"));
}

} // namespace
