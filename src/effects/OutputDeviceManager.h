#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QMenu;

namespace kr {

class SoundManager;
class UserDefaults;

// The menu of audio output devices in the preferences: one item per device,
// the first standing for the system default; choosing one stores its id under
// "soundOutputDevice" and plays the start sound so the user hears the device.
class OutputDeviceManager : public QObject {
  Q_OBJECT

public:
  using Preview = std::function<void()>;

  OutputDeviceManager(UserDefaults& defaults, SoundManager& sounds, QMenu* outputDeviceMenu,
                      Preview playStartSoundWithNewSettings, QObject* parent = nullptr);

  // Fills the menu, the current device checked.
  void awakeFromNib();
  void changeDevice(const QString& title);

private:
  QString uidForMenuItemTitle(const QString& title) const;
  QString menuItemTitleForUID(const QString& uid) const;

  UserDefaults& defaults_;
  SoundManager& sounds_;
  QPointer<QMenu> outputDeviceMenu_;
  Preview preview_;
};

} // namespace kr
