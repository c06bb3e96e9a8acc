#pragma once

#include <QString>
#include <QStringList>

namespace kr {

class UserDefaults;

// The three profiles of the welcome page (technique, notifications,
// continuous sound) and the initial configuration they write.
class WelcomeProfile {
public:
  WelcomeProfile() = delete;

  static const QString kTechniqueKey;
  static const QString kNotificationKey;
  static const QString kContinuousSoundKey;

  // The stored values of each pop-up's items, in menu order.
  static const QStringList& techniqueChoices();
  static const QStringList& notificationChoices();
  static const QStringList& continuousSoundChoices();

  // The pop-up item that shows a stored choice; an unknown or absent value
  // selects the last item.
  static int techniqueIndex(const QString& stored);
  static int notificationIndex(const QString& stored);
  static int continuousSoundIndex(const QString& stored);

  // Writes the configuration of the stored choices; an absent or unknown
  // choice writes nothing for its part.
  static void createInitialConfigurationBasedOnSettings(UserDefaults& defaults);

  static void configureVisualNotifications(UserDefaults& defaults);
  static void switchOffAllVoiceNotifications(UserDefaults& defaults);
  static void switchOffAllSoundNotifications(UserDefaults& defaults);
  static void configureSoundNotifications(UserDefaults& defaults);
  static void configureVoiceNotifications(UserDefaults& defaults);
  static void switchSoftBreakToSound(UserDefaults& defaults);
  static void switchSoftBreakToVisual(UserDefaults& defaults);
};

} // namespace kr
