#include "effects/OutputDeviceManager.h"

#include "SoundFixture.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

class OutputDeviceManagerTest : public ::testing::Test, protected kr::test::SoundFixture {
protected:
  QStringList items() {
    QStringList out;
    for (QAction* a : menu.actions())
      out << (a->isChecked() ? QStringLiteral("*") : QString()) + a->text();
    return out;
  }

  std::unique_ptr<kr::SoundManager> sounds = makeManager();
  QMenu menu;
  int previews = 0;
  kr::OutputDeviceManager manager{*defaults, *sounds, &menu, [this] {
                                    ++previews;
                                    sounds->playSampleWithPrivateName(
                                        defaults->string(QStringLiteral("startSound")), 1.0f);
                                  }};
};

TEST_F(OutputDeviceManagerTest, TheMenuListsTheDefaultFirstAndChecksTheStoredDevice) {
  defaults->setValue(QStringLiteral("soundOutputDevice"), QStringLiteral("alsa_output.pci"));
  manager.awakeFromNib();
  EXPECT_EQ(items(),
            (QStringList{QStringLiteral("Use the System's Default Output"),
                         QStringLiteral("USB Headset"), QStringLiteral("*Built-in Audio")}));
}

TEST_F(OutputDeviceManagerTest, ChoosingADeviceStoresItsIdAndPlaysTheStartSoundThere) {
  manager.awakeFromNib();
  EXPECT_EQ(items().first(), QStringLiteral("*Use the System's Default Output"));
  menu.actions().at(1)->trigger();
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

TEST_F(OutputDeviceManagerTest, WithoutDevicesTheMenuHasTheOneDefaultItem) {
  audio.devices.clear();
  auto bare = makeManager();
  QMenu single;
  kr::OutputDeviceManager m(*defaults, *bare, &single, {});
  m.awakeFromNib();
  ASSERT_EQ(single.actions().size(), 1);
  EXPECT_TRUE(single.actions().first()->isChecked());
  m.changeDevice(QStringLiteral("Unknown Device"));
  EXPECT_EQ(defaults->string(QStringLiteral("soundOutputDevice")),
            QStringLiteral("useSystemDefault"));
}

} // namespace
