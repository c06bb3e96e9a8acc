#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QComboBox;

namespace kr {

class SoundManager;
class UserDefaults;

// The program's one list of audio output devices for the user to choose
// from: the preferences' pop-up, one item per device in the sound manager's
// order, the first standing for the system default. Items are told apart by
// their place, so two devices of one name stay apart. Choosing one stores its
// id under "soundOutputDevice" and plays the start sound so the user hears
// the device; the list follows devices coming and going and the setting
// changed elsewhere.
class OutputDeviceManager : public QObject {
  Q_OBJECT

public:
  using Preview = std::function<void()>;

  OutputDeviceManager(UserDefaults& defaults, SoundManager& sounds, QComboBox* outputDevicePopUp,
                      Preview playStartSoundWithNewSettings, QObject* parent = nullptr);

  // Fills the pop-up, the stored device selected.
  void awakeFromNib();
  // The device at `index` of the list; an index off the list changes nothing.
  void changeDevice(int index);
  // Selects the stored device: the first item (the system default) for an id
  // not listed. Writes nothing.
  void showStoredDevice();

private:
  UserDefaults& defaults_;
  SoundManager& sounds_;
  QPointer<QComboBox> outputDevicePopUp_;
  Preview preview_;
};

} // namespace kr
