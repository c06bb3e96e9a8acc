#pragma once

#include "effects/WhiteNoiseMachine.h"

#include <QPointer>

class QAction;
class QMenu;

namespace kr {

// The user's free-running noise player, switched on and off from its menus,
// independent of the work cycle. It is always off after a start.
class StandAloneNoiseMachine : public WhiteNoiseMachine {
  Q_OBJECT

public:
  StandAloneNoiseMachine(UserDefaults& defaults, SoundManager& sounds, AudioOutputAPI& audio,
                         QObject* parent = nullptr);

  // The menus that list the continuous sounds; the second may be absent.
  void setMenus(QMenu* soundsMenu, QMenu* secondSoundsMenu);
  void awakeFromNib() override;

  void changeSound(const QString& label);
  void nextSound();
  void previousSound();

  QString soundOnKey() const override { return QStringLiteral("standaloneSoundOn"); }
  QString soundKey() const override { return QStringLiteral("standaloneSound"); }
  QString volumeKey() const override { return QStringLiteral("standaloneVolume"); }

private:
  void fillMenu(QMenu* menu, const QString& checkedLabel);
  void checkLabel(const QString& label);
  void step(int delta);

  QPointer<QMenu> soundsMenu_;
  QPointer<QMenu> secondSoundsMenu_;
};

} // namespace kr
