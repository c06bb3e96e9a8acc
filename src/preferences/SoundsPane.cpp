#include "preferences/SoundsPane.h"

#include "preferences/PreferenceControls.h"

#include "effects/OutputDeviceManager.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kr {

namespace {
const QString kDeviceKey = QStringLiteral("soundOutputDevice");
StandAloneNoiseMachine* installedPlayer = nullptr;
} // namespace

void SoundsPane::setBackgroundPlayer(StandAloneNoiseMachine* player) { installedPlayer = player; }

StandAloneNoiseMachine* SoundsPane::backgroundPlayer() { return installedPlayer; }

SoundsPane::SoundsPane(PreferenceControls& controls, SoundManager& sounds,
                       QComboBox* backgroundSoundPopUp, std::function<void()> previewStartSound,
                       HelpOpener help, bool backgroundPlayer, QWidget* parent)
    : QWidget(parent), controls_(controls), devices_(new QComboBox),
      deviceManager_(new OutputDeviceManager(controls.defaults(), sounds, devices_,
                                             std::move(previewStartSound), this)),
      mute_(controls.check(QStringLiteral("Mute all sounds"), QStringLiteral("mute"))),
      backgroundOn_(controls.check(QStringLiteral("Play a background sound"),
                                   QStringLiteral("standaloneSoundOn"))),
      backgroundSound_(backgroundSoundPopUp),
      backgroundVolume_(controls.fraction(QStringLiteral("standaloneVolume"))),
      help_(new QPushButton(QStringLiteral("?"))) {
  setObjectName(QStringLiteral("Sounds"));
  devices_->setObjectName(kDeviceKey);
  devices_->setSizeAdjustPolicy(QComboBox::AdjustToContents);

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(QStringLiteral("Play sounds on:"), devices_);
  form->addRow(QString(), mute_);

  auto* background = new QGroupBox(QStringLiteral("Background sound"));
  auto* intro = new QLabel(QStringLiteral(
      "A sound that plays on its own, whatever the timer does. It can also be switched from "
      "the Sounds menu."));
  intro->setWordWrap(true);
  auto* soundRow = new QHBoxLayout;
  soundRow->addWidget(backgroundSound_);
  soundRow->addStretch(1);
  auto* volumeRow = new QHBoxLayout;
  volumeRow->addWidget(new QLabel(QStringLiteral("Volume:")));
  volumeRow->addWidget(backgroundVolume_, 1);
  help_->setFixedWidth(28);
  help_->setToolTip(QStringLiteral("About the background sound"));
  help_->setEnabled(static_cast<bool>(help));
  connect(help_, &QPushButton::clicked, this, [help] {
    if (help)
      help(QStringLiteral("hushbox.html"));
  });
  auto* helpRow = new QHBoxLayout;
  helpRow->addStretch(1);
  helpRow->addWidget(help_);
  auto* inner = new QVBoxLayout(background);
  inner->addWidget(intro);
  inner->addWidget(backgroundOn_);
  inner->addLayout(soundRow);
  inner->addLayout(volumeRow);
  inner->addLayout(helpRow);
  if (!backgroundPlayer) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{backgroundOn_, backgroundSound_, backgroundVolume_}) {
      control->setEnabled(false);
      control->setToolTip(QStringLiteral("Not available in this version"));
    }
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->addLayout(form);
  layout->addSpacing(12);
  layout->addWidget(background);
  layout->addStretch(1);

  deviceManager_->awakeFromNib();
  controls.follow(kDeviceKey, devices_, [this] { deviceManager_->showStoredDevice(); });
}

} // namespace kr
