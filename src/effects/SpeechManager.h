#pragma once

#include <QObject>
#include <QString>

namespace kr {

class SoundManager;
class SpeechSynthesizerAPI;
class UserDefaults;

// Speaks texts at the speech volume, with an English voice for English text
// when the default voice speaks another language. Silent while the sounds are
// muted (the sound manager's answer, or "mute" without one).
class SpeechManager : public QObject {
  Q_OBJECT

public:
  SpeechManager(UserDefaults& defaults, SpeechSynthesizerAPI& synth, SoundManager* sounds = nullptr,
                QObject* parent = nullptr);

  void speakString(const QString& text);
  // Stops speaking at once (the global mute).
  void cutOffInMidSentence();

private:
  bool muted() const;

  UserDefaults& defaults_;
  SoundManager* sounds_;
  SpeechSynthesizerAPI& synth_;
  bool reportedUnavailable_ = false;
};

} // namespace kr
