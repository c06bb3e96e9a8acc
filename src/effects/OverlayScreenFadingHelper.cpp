#include "effects/OverlayScreenFadingHelper.h"

#include "platform/LogCategories.h"
#include "platform/QnLog.h"
#include "platform/ScreenOverlayWindows.h"

namespace kr {

OverlayScreenFadingHelper::OverlayScreenFadingHelper(TranslucencyCheck translucency,
                                                     ActiveWindowAPI* activeWindow)
    : overlays_(std::make_unique<ScreenOverlayWindows>()), translucency_(std::move(translucency)),
      activeWindow_(activeWindow) {}

OverlayScreenFadingHelper::~OverlayScreenFadingHelper() = default;

bool OverlayScreenFadingHelper::canTint(QString* why) const {
  return !translucency_ || translucency_(why);
}

void OverlayScreenFadingHelper::quickFadeAllScreens(const QColor& color, float blendFraction,
                                                    double duration) {
  QString why;
  if (!canTint(&why)) {
    if (!reportedNoTint_) {
      reportedNoTint_ = true;
      platformLog(QStringLiteral("No screen dimming or flashes: %1").arg(why));
    }
    return;
  }
  if (!overlays_->tintAllScreens(color, blendFraction, duration))
    platformLog(QStringLiteral("Error acquiring fade reservation"));
}

void OverlayScreenFadingHelper::fadeAllScreensToBlack(QWidget* view) {
  // Asked before the cover takes the keyboard. A cover already up is in
  // front itself: the window remembered before it stays.
  if (!overlays_->isCovering())
    tempPreviousApp_ = activeWindow_ ? activeWindow_->activeWindowOfAnotherProgram() : std::nullopt;
  overlays_->coverAllScreens(view, kFadeToBlackSeconds, kContentFadeInSeconds);
}

void OverlayScreenFadingHelper::fadeAllScreensBackToNormal() {
  qCDebug(lcEffects).noquote() << "remove all windows anyway";
  overlays_->removeAll(overlays_->isCovering() ? kFadeBackSeconds : 0.0);
  if (tempPreviousApp_ && activeWindow_)
    activeWindow_->activate(*tempPreviousApp_);
  tempPreviousApp_.reset();
}

} // namespace kr
