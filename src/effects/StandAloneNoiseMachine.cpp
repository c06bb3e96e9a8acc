#include "effects/StandAloneNoiseMachine.h"

#include "effects/SoundManager.h"
#include "platform/MenuTitle.h"
#include "platform/settings/UserDefaults.h"

#include <QAction>
#include <QMenu>

namespace kr {

StandAloneNoiseMachine::StandAloneNoiseMachine(UserDefaults& defaults, SoundManager& sounds,
                                               AudioOutputAPI& audio, QObject* parent)
    : WhiteNoiseMachine(defaults, sounds, audio, parent) {
  isPlayingSubjectToSettings_ = true;
}

void StandAloneNoiseMachine::setMenus(QMenu* soundsMenu, QMenu* secondSoundsMenu) {
  soundsMenu_ = soundsMenu;
  secondSoundsMenu_ = secondSoundsMenu;
}

void StandAloneNoiseMachine::awakeFromNib() {
  WhiteNoiseMachine::awakeFromNib();
  const QString name = defaults_.string(soundKey());
  const QStringList& names = sounds_.continuousSoundsPrivateNames();
  const QStringList& labels = sounds_.continuousSoundsLabels();
  qsizetype index = names.indexOf(name);
  if (index < 0) {
    defaults_.setValue(soundKey(), defaultSoundPrivateName());
    index = names.indexOf(defaultSoundPrivateName());
  }
  const QString title = labels.value(index);
  fillMenu(soundsMenu_, title);
  fillMenu(secondSoundsMenu_, title);
  defaults_.setValue(soundOnKey(), false);
}

void StandAloneNoiseMachine::fillMenu(QMenu* menu, const QString& checkedLabel) {
  if (!menu)
    return;
  menu->clear();
  for (const QString& label : sounds_.continuousSoundsLabels()) {
    QAction* action = menu->addAction(menuTitle(label));
    action->setCheckable(true);
    action->setChecked(label == checkedLabel);
    connect(action, &QAction::triggered, this, [this, label] { changeSound(label); });
  }
}

void StandAloneNoiseMachine::checkLabel(const QString& label) {
  for (QMenu* menu : {soundsMenu_.data(), secondSoundsMenu_.data()}) {
    if (!menu)
      continue;
    for (QAction* action : menu->actions())
      action->setChecked(action->text() == menuTitle(label));
  }
}

void StandAloneNoiseMachine::changeSound(const QString& label) {
  const qsizetype index = sounds_.continuousSoundsLabels().indexOf(label);
  if (index < 0)
    return;
  checkLabel(label);
  defaults_.setValue(soundKey(), sounds_.continuousSoundsPrivateNames().at(index));
  playSample();
}

void StandAloneNoiseMachine::nextSound() { step(1); }
void StandAloneNoiseMachine::previousSound() { step(-1); }

void StandAloneNoiseMachine::step(int delta) {
  const QStringList& names = sounds_.continuousSoundsPrivateNames();
  if (names.isEmpty())
    return;
  const qsizetype current = names.indexOf(defaults_.string(soundKey()));
  qsizetype index = 0; // a stored sound not in the list: the list's first
  if (current >= 0)
    index = (current + delta + names.size()) % names.size();
  checkLabel(sounds_.continuousSoundsLabels().at(index));
  defaults_.setValue(soundKey(), names.at(index));
  defaults_.synchronize();
}

} // namespace kr
