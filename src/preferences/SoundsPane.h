#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;

namespace kr {

class OutputDeviceManager;
class PreferenceControls;
class SoundManager;
class StandAloneNoiseMachine;

// The "Sounds" pane: the output device, the mute of every sound, and the
// background sound that plays on its own, apart from the work cycle.
class SoundsPane final : public QWidget {
  Q_OBJECT

public:
  using HelpOpener = std::function<void(const QString& pageFileName)>;

  // backgroundSoundPopUp: the pop-up of "standaloneSound"; previewStartSound
  // plays the start sound as the settings now stand; help: none disables the
  // help button; backgroundPlayer: whether a background player runs (none:
  // its controls are disabled).
  SoundsPane(PreferenceControls& controls, SoundManager& sounds, QComboBox* backgroundSoundPopUp,
             std::function<void()> previewStartSound, HelpOpener help, bool backgroundPlayer,
             QWidget* parent = nullptr);

  // The program's background sound player (not owned; none while there is
  // none).
  static void setBackgroundPlayer(StandAloneNoiseMachine* player);
  static StandAloneNoiseMachine* backgroundPlayer();

  QComboBox* devicePopUp() const { return devices_; }
  // The device list behind the pop-up.
  OutputDeviceManager* outputDeviceManager() const { return deviceManager_; }
  QCheckBox* muteBox() const { return mute_; }
  QCheckBox* backgroundSoundBox() const { return backgroundOn_; }
  QComboBox* backgroundSoundPopUp() const { return backgroundSound_; }
  QSlider* backgroundVolume() const { return backgroundVolume_; }
  QPushButton* helpButton() const { return help_; }

private:
  PreferenceControls& controls_;
  QComboBox* devices_;
  OutputDeviceManager* deviceManager_;
  QCheckBox* mute_;
  QCheckBox* backgroundOn_;
  QComboBox* backgroundSound_;
  QSlider* backgroundVolume_;
  QPushButton* help_;
};

} // namespace kr
