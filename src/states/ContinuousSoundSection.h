#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QSlider;
class QWidget;

namespace kr {

// The running page's controls of the continuous background sound: the
// switch, the choice of sound and the volume, each bound to its setting.
// Switching the sound on here starts it at once.
class ContinuousSoundSection {
public:
  static const QString kHiddenKey;
  static const QString kSoundOnKey;
  static const QString kSoundKey;
  static const QString kVolumeKey;

  struct Controls {
    QWidget* section = nullptr;
    QCheckBox* soundOn = nullptr;
    QComboBox* sounds = nullptr;
    QSlider* volume = nullptr;
  };

  ContinuousSoundSection() = delete;
  // The controls' section, without a parent; the page adds it and hides it
  // while `kHiddenKey` is set.
  static Controls create();
};

} // namespace kr
