#pragma once

#include "effects/SoundManager.h"
#include "platform/services/TestAudioOutput.h"

#include "RecordingOutputs.h"

#include <QFile>
#include <QTemporaryDir>

namespace kr::test {

// A sound library over the mapping resource, with the program's sounds in
// "/own" and a sound theme in which only "bell" and "message" are installed.
struct SoundFixture {
  SoundFixture() {
    for (const char* name : {"bell.oga", "message.oga"}) {
      QFile file(theme.path() + u'/' + QString::fromLatin1(name));
      file.open(QIODevice::WriteOnly);
    }
    audio.devices = {{QStringLiteral("alsa_output.usb"), QStringLiteral("USB Headset")},
                     {QStringLiteral("alsa_output.pci"), QStringLiteral("Built-in Audio")}};
  }

  std::unique_ptr<SoundManager> makeManager() {
    return std::make_unique<SoundManager>(*defaults, audio,
                                          std::make_unique<SimpleSoundLibraryLoader>(
                                              SoundFolders{QStringLiteral("/own"), theme.path()}),
                                          std::make_unique<ContinuousSoundCollectionLoader>());
  }

  QTemporaryDir theme{temporaryHome() + QStringLiteral("/theme-XXXXXX")};
  std::unique_ptr<UserDefaults> defaults = makeEffectsDefaults();
  TestAudioOutput audio;
};

} // namespace kr::test
