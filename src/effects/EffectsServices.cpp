#include "effects/EffectsServices.h"

#include "effects/QNNotificationCenter.h"
#include "effects/ScreenFadingHelper.h"
#include "effects/ScriptLauncher.h"
#include "effects/SoundManager.h"
#include "effects/SpeechManager.h"
#include "effects/WhiteNoiseMachine.h"
#include "platform/services/UnavailableMediaServices.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

namespace {
std::unique_ptr<EffectsServices>& installedSlot() {
  static std::unique_ptr<EffectsServices> services;
  return services;
}
} // namespace

EffectsServices::EffectsServices(UserDefaults& defaults, BackEnds backEnds, ScriptLauncher& scripts,
                                 LiveEventOutputs::ObjectiveProvider objective,
                                 QNVisualNotification::ActiveProvider applicationIsActive)
    : backEnds_(backEnds), fading_(backEnds.fading), defaults_(defaults) {
  if (!fading_) {
    ownFading_ = std::make_unique<UnavailableScreenFadingHelper>();
    fading_ = ownFading_.get();
  }
  ScreenFadingHelper* fading = fading_;
  sounds_ = std::make_unique<SoundManager>(defaults, backEnds.audio);
  speech_ = std::make_unique<SpeechManager>(defaults, backEnds.speech, sounds_.get());
  visual_ =
      std::make_unique<QNVisualNotification>(backEnds.notifier, std::move(applicationIsActive));
  continuousSound_ = std::make_unique<WhiteNoiseMachine>(defaults, *sounds_, backEnds.audio);
  continuousSound_->awakeFromNib();
  outputs_ = std::make_unique<LiveEventOutputs>(*sounds_, *speech_, *visual_, *continuousSound_,
                                                scripts, *fading, std::move(objective));
}

EffectsServices::~EffectsServices() = default;

void EffectsServices::install(std::unique_ptr<EffectsServices> services) {
  if (services) {
    QNNotificationCenter::installSharedNotificationCenter(
        std::make_unique<QNNotificationCenter>(services->defaults_, *services->outputs_));
  } else {
    QNNotificationCenter::installSharedNotificationCenter(nullptr);
  }
  installedSlot() = std::move(services);
}

bool EffectsServices::isInstalled() { return installedSlot() != nullptr; }

EffectsServices& EffectsServices::shared() {
  if (EffectsServices* services = installedSlot().get())
    return *services;
  // Nothing installed yet: services over back ends that do nothing.
  static UnavailableAudioOutput audio(QStringLiteral("sound is not set up yet"));
  static UnavailableSpeechSynthesizer speech(QStringLiteral("speech is not set up yet"));
  static UnavailableDesktopNotifier notifier(QStringLiteral("notifications are not set up yet"));
  static ScriptLauncher noScripts(QString{});
  static EffectsServices fallback(UserDefaults::standard(), BackEnds{audio, speech, notifier},
                                  noScripts, {}, {});
  return fallback;
}

} // namespace kr
