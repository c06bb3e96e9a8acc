#include "states/ContinuousSoundSection.h"

#include "states/SliceCues.h"

#include "platform/settings/DefaultsBinding.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace kr {

const QString ContinuousSoundSection::kHiddenKey =
    QStringLiteral("hideContinuousSoundInTimeSliceRunningState");
const QString ContinuousSoundSection::kSoundOnKey = QStringLiteral("continuousSoundOn");
const QString ContinuousSoundSection::kSoundKey = QStringLiteral("continuousSound");
const QString ContinuousSoundSection::kVolumeKey = QStringLiteral("continuousSoundVolume");

namespace {

// The volume slider counts in hundredths of the stored 0.0 to 1.0.
constexpr int kVolumeSteps = 100;

UserDefaults& defaults() { return UserDefaults::standard(); }

ValueTransformer volumeToSteps() {
  ValueTransformer transformer;
  transformer.forward = [](const QVariant& stored) {
    bool ok = false;
    const double volume = stored.toDouble(&ok);
    if (!ok || !std::isfinite(volume))
      return QVariant(kVolumeSteps);
    return QVariant(int(std::lround(std::clamp(volume, 0.0, 1.0) * kVolumeSteps)));
  };
  transformer.reverse = [](const QVariant& shown) {
    return QVariant(shown.toDouble() / kVolumeSteps);
  };
  return transformer;
}

// Shows the stored sound; a name the list does not hold shows the first item.
void selectStoredSound(QComboBox* sounds) {
  const int index = sounds->findData(defaults().string(ContinuousSoundSection::kSoundKey));
  sounds->setCurrentIndex(index >= 0 ? index : 0);
}

QComboBox* createSoundsPopUp(QWidget* section) {
  auto* sounds = new QComboBox(section);
  const QStringList labels = SliceCues::shared().callContinuousSoundsLabels();
  const QStringList names = SliceCues::shared().callContinuousSoundsPrivateNames();
  for (qsizetype i = 0; i < std::min(labels.size(), names.size()); ++i)
    sounds->addItem(labels.at(i), names.at(i));
  selectStoredSound(sounds);
  QObject::connect(sounds, &QComboBox::activated, sounds, [sounds](int index) {
    defaults().setValue(ContinuousSoundSection::kSoundKey, sounds->itemData(index).toString());
    defaults().synchronize();
  });
  // The welcome profile and the sound machine also write the choice.
  QObject::connect(&defaults(), &UserDefaults::changed, sounds, [sounds](const QString& key) {
    if (key == ContinuousSoundSection::kSoundKey)
      selectStoredSound(sounds);
  });
  return sounds;
}

} // namespace

ContinuousSoundSection::Controls ContinuousSoundSection::create() {
  defaults().registerDefault(kHiddenKey, true);
  Controls controls;
  controls.section = new QWidget;
  controls.section->setObjectName(QStringLiteral("Continuous Sound Controls"));
  auto* row = new QHBoxLayout(controls.section);
  row->setContentsMargins(12, 0, 8, 0);

  controls.soundOn = new QCheckBox(QStringLiteral("Continuously play"), controls.section);
  DefaultsBinding::bind(controls.soundOn, "checked", kSoundOnKey);
  // Only the user's click starts the sound; the binding has stored the
  // switch by then. Switching off just stores it: the sound machine follows.
  QObject::connect(controls.soundOn, &QCheckBox::clicked, controls.soundOn, [](bool on) {
    if (on)
      SliceCues::shared().callPlayContinuousSound();
  });
  row->addWidget(controls.soundOn);

  controls.sounds = createSoundsPopUp(controls.section);
  row->addWidget(controls.sounds);

  row->addWidget(new QLabel(QStringLiteral("Volume"), controls.section));
  controls.volume = new QSlider(Qt::Horizontal, controls.section);
  controls.volume->setRange(0, kVolumeSteps);
  controls.volume->setFixedWidth(80);
  DefaultsBinding::bind(controls.volume, "value", kVolumeKey, volumeToSteps());
  row->addWidget(controls.volume);
  row->addStretch();
  return controls;
}

} // namespace kr
