#include "states/RestBreakHelper.h"

#include "states/CountDownViewController.h"

#include "effects/ScreenFadingHelper.h"
#include "kit/walls/Wall.h"
#include "platform/LogCategories.h"
#include "platform/QnLog.h"

namespace kr {

RestBreakHelper::RestBreakHelper() = default;
RestBreakHelper::~RestBreakHelper() = default;

RestBreakHelper& RestBreakHelper::shared() {
  static RestBreakHelper instance;
  return instance;
}

void RestBreakHelper::installScreenFading(ScreenFadingHelper* fading) {
  if (!fading && fading_) {
    takeDownRestScreen();
    controller_.reset();
  }
  fading_ = fading;
}

void RestBreakHelper::forgetState(const TimedBreakRunningState& state) {
  if (!controller_ || &controller_->state() != &state)
    return;
  takeDownRestScreen();
  controller_.reset();
}

bool RestBreakHelper::bringUpRestScreen(TimedBreakRunningState& state) {
  qCDebug(lcStates).noquote() << "bringUpRestScreen";
  if (!fading_) {
    if (!reportedMissingFading_)
      platformLog(QStringLiteral("The rest screen is not available: the break shows in the "
                                 "main window only."));
    reportedMissingFading_ = true;
    return false;
  }
  // The previous screen's timer stops before its controller goes.
  if (controller_)
    controller_->takeDown();
  controller_ = std::make_unique<CountDownViewController>(state);
  controller_->build();
  fading_->fadeAllScreensToBlack(controller_->view());
  controller_->startAnimation();
  return true;
}

void RestBreakHelper::takeDownRestScreen() {
  if (controller_)
    controller_->takeDown();
  if (fading_)
    fading_->fadeAllScreensBackToNormal();
}

} // namespace kr
