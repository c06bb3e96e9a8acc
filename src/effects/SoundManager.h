#pragma once

#include "effects/SoundLibraryLoader.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>
#include <optional>

namespace kr {

class AudioOutputAPI;
class UserDefaults;

// The sound library: private names, labels and files, the lists offered for
// reminders, ends and continuous sound, the one-shot event sounds and their
// previews, the output device and the global mute.
class SoundManager : public QObject {
  Q_OBJECT

public:
  static constexpr const char* kUseSystemDefault = "useSystemDefault";
  static constexpr const char* kUseSystemDefaultName = "Use the System's Default Output";

  // The loaders are those the "SoundManager" configuration names (keys
  // "SoundLibraryLoader" and "ContinuousSoundsLoader", see DynamicConfiguration).
  SoundManager(UserDefaults& defaults, AudioOutputAPI& audio, QObject* parent = nullptr);
  SoundManager(UserDefaults& defaults, AudioOutputAPI& audio,
               std::unique_ptr<SoundLibraryLoader> libraryLoader,
               std::unique_ptr<SoundCollectionLoader> continuousLoader, QObject* parent = nullptr);
  ~SoundManager() override;

  // The one way to play an event sound; silent while "mute" is on.
  void playSoundWithPrivateName(const QString& privateName, float volume);
  // The preferences' preview: ignores "mute" and plays only the last second.
  void playSampleWithPrivateName(const QString& privateName, float volume);
  void stopAllCurrentSounds();
  // Forgets the event sounds that have finished playing.
  void checkSounds();
  // The mute the sounds obey: the override while one is set, else "mute".
  bool allSoundsAreMuted() const;
  // Stores "mute".
  void setAllSoundsAreMuted(bool muted);
  // Overrides the stored mute in memory only (none: "mute" applies again).
  // "mute" itself is never written, so a crash meanwhile keeps the user's
  // choice and a change of it made meanwhile holds once the override ends.
  void setMuteOverride(std::optional<bool> muted);
  std::optional<bool> muteOverride() const { return muteOverride_; }

  // The file of a library sound, or an empty text (with a console line) for a name not in it.
  QString getFilePathFromPrivateName(const QString& privateName) const;
  bool hasSound(const QString& privateName) const { return labels_.contains(privateName); }
  QString labelOf(const QString& privateName) const { return labels_.value(privateName); }
  QString privateNameOfLabel(const QString& label) const;
  const QList<SoundEntry>& soundLibrary() const { return soundLibrary_; }

  const QStringList& reminderSoundsPrivateNames() const { return reminderNames_; }
  const QStringList& reminderSoundsLabels() const { return reminderLabels_; }
  const QStringList& endSoundsPrivateNames() const { return endNames_; }
  const QStringList& endSoundsLabels() const { return endLabels_; }
  const QStringList& continuousSoundsPrivateNames() const { return continuousNames_; }
  const QStringList& continuousSoundsLabels() const { return continuousLabels_; }

  // Output devices: entry 0 stands for the system default. The list is read
  // when first asked for, so that the sound system is set up only then.
  const QStringList& audioDevices() const {
    ensureOutputDevices();
    return audioDeviceNameList_;
  }
  const QStringList& audioDeviceUIDs() const {
    ensureOutputDevices();
    return audioDeviceUIDList_;
  }
  static QString defaultOutputDeviceUID() { return QString::fromLatin1(kUseSystemDefault); }
  QString audioDeviceNameWithIndex(int index) const { return audioDevices().value(index); }
  QString audioDeviceUIDWithIndex(int index) const { return audioDeviceUIDs().value(index); }
  int indexOfDeviceWithUID(const QString& uid) const { return int(audioDeviceUIDs().indexOf(uid)); }
  int indexOfDeviceWithName(const QString& name) const { return int(audioDevices().indexOf(name)); }
  // The stored device while it is plugged in; otherwise the system default.
  // The stored choice is left as it is, so the device is used again when it
  // returns.
  QString getCurrentSoundOutputDeviceIdentifier() const;
  // Reads the device list again (devices plugged in or out).
  void refreshOutputDevices();

Q_SIGNALS:
  // Devices were plugged in or out; the device list is up to date.
  void outputDevicesChanged();
  // What allSoundsAreMuted() answers changed ("mute" or the override).
  void allSoundsAreMutedChanged();

private:
  void loadLibrary();
  QStringList labelsFor(QStringList& names, const char* listName) const;
  bool play(const QString& privateName, float volume, bool sample);
  void muteChanged();

  UserDefaults& defaults_;
  AudioOutputAPI& audio_;
  std::unique_ptr<SoundLibraryLoader> soundLibraryLoader_;
  std::unique_ptr<SoundCollectionLoader> continuousSoundsLoader_;
  QList<SoundEntry> soundLibrary_;
  QStringList privateNames_;
  QHash<QString, QString> labels_;
  QStringList reminderNames_, reminderLabels_, endNames_, endLabels_, continuousNames_,
      continuousLabels_;
  void ensureOutputDevices() const;
  void readOutputDevices() const;

  mutable QStringList audioDeviceNameList_, audioDeviceUIDList_;
  mutable bool outputDevicesRead_ = false;
  mutable QSet<QString> reportedMissing_;
  bool reportedNoAudio_ = false;
  std::optional<bool> muteOverride_;
};

} // namespace kr
