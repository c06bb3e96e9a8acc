#pragma once

#include "effects/LiveEventOutputs.h"
#include "effects/QNVisualNotification.h"

#include <memory>

namespace kr {

class AudioOutputAPI;
class DesktopNotifierAPI;
class ScreenFadingHelper;
class ScriptLauncher;
class SoundManager;
class SpeechManager;
class SpeechSynthesizerAPI;
class UserDefaults;
class WhiteNoiseMachine;

// Sound, speech, notifications, continuous sound and script hooks built over
// the desktop's back ends, and the notification centre that drives them. The
// application builds one at start-up and installs it.
class EffectsServices {
public:
  struct BackEnds {
    AudioOutputAPI& audio;
    SpeechSynthesizerAPI& speech;
    DesktopNotifierAPI& notifier;
    // The screen effects; none: they are reported unavailable.
    ScreenFadingHelper* fading = nullptr;
  };

  EffectsServices(UserDefaults& defaults, BackEnds backEnds, ScriptLauncher& scripts,
                  LiveEventOutputs::ObjectiveProvider objective,
                  QNVisualNotification::ActiveProvider applicationIsActive);
  ~EffectsServices();
  EffectsServices(const EffectsServices&) = delete;
  EffectsServices& operator=(const EffectsServices&) = delete;

  // Makes these the process-wide services, driven by a new shared notification centre.
  static void install(std::unique_ptr<EffectsServices> services);
  // The installed services; until then, services that play, say and show
  // nothing over the standard settings.
  static EffectsServices& shared();
  // Whether start-up installed services (rather than the silent fallback).
  static bool isInstalled();

  const BackEnds& backEnds() const { return backEnds_; }
  ScreenFadingHelper& screenFading() const { return *fading_; }

  SoundManager& soundManager() { return *sounds_; }
  SpeechManager& speechManager() { return *speech_; }
  QNVisualNotification& visualNotification() { return *visual_; }
  WhiteNoiseMachine& continuousSoundMachine() { return *continuousSound_; }
  EventOutputs& outputs() { return *outputs_; }

private:
  BackEnds backEnds_;
  std::unique_ptr<ScreenFadingHelper> ownFading_;
  ScreenFadingHelper* fading_;
  std::unique_ptr<SoundManager> sounds_;
  std::unique_ptr<SpeechManager> speech_;
  std::unique_ptr<QNVisualNotification> visual_;
  std::unique_ptr<WhiteNoiseMachine> continuousSound_;
  std::unique_ptr<LiveEventOutputs> outputs_;
  UserDefaults& defaults_;
};

} // namespace kr
