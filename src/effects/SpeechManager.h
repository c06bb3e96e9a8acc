#pragma once

#include <QObject>
#include <QString>

namespace kr {

class SpeechSynthesizerAPI;
class UserDefaults;

// Speaks texts at the speech volume, with an English voice for English text
// when the default voice speaks another language. Silent while "mute" is on.
class SpeechManager : public QObject {
  Q_OBJECT

public:
  SpeechManager(UserDefaults& defaults, SpeechSynthesizerAPI& synth, QObject* parent = nullptr);

  void speakString(const QString& text);
  // Stops speaking at once (the global mute).
  void cutOffInMidSentence();

private:
  UserDefaults& defaults_;
  SpeechSynthesizerAPI& synth_;
  bool reportedUnavailable_ = false;
};

} // namespace kr
