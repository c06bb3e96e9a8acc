#pragma once

#include "effects/AudioPlayer.h"

#include <QObject>
#include <QString>

#include <memory>

namespace kr {

class AudioOutputAPI;
class SmartTimerWrapper;
class SoundManager;
class UserDefaults;

// The continuous sound of a running slice: a looping sound that plays while
// its owner wants it, it is switched on, nothing mutes it and no dialog blocks
// it, or while a short sample runs. Every change of its settings re-decides.
class WhiteNoiseMachine : public QObject {
  Q_OBJECT

public:
  WhiteNoiseMachine(UserDefaults& defaults, SoundManager& sounds, AudioOutputAPI& audio,
                    QObject* parent = nullptr);
  ~WhiteNoiseMachine() override;

  // The continuous sound of the running slice (the application's services).
  static WhiteNoiseMachine& continuousSoundMachine();

  // Starts observing the settings. Called once after construction.
  virtual void awakeFromNib();

  void playSubjectToSettings();
  void stopPlaying();
  void block();
  void unblock();
  // Plays the chosen sound for about five seconds whatever the switches say.
  void playSample();
  void adjustToNewSettings();

  bool isSwitchedOn() const;
  float volume() const;
  bool allSoundsAreMuted() const;
  bool isPlaying() const { return audioPlayer_.isPlaying(); }
  QString privateName() const { return privateName_; }

  virtual QString soundOnKey() const { return QStringLiteral("continuousSoundOn"); }
  virtual QString soundKey() const { return QStringLiteral("continuousSound"); }
  virtual QString volumeKey() const { return QStringLiteral("continuousSoundVolume"); }
  static QString defaultSoundPrivateName() { return QStringLiteral("pink_noise"); }

protected:
  UserDefaults& defaults_;
  SoundManager& sounds_;
  bool isPlayingSubjectToSettings_ = false;

private:
  void decrementSampleTimeAndAdjust();
  void startPlayer(const QString& name, const QString& device);

  bool isTemporarilyBlockedByDialog_ = false;
  AudioPlayer audioPlayer_;
  QString privateName_;
  QString currentSoundOutputDeviceUID_;
  std::shared_ptr<SmartTimerWrapper> sampleTimer_;
  qint64 samplePlayTimeLeft_ = 0;
};

} // namespace kr
