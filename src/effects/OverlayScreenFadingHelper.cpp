#include "effects/OverlayScreenFadingHelper.h"

#include "platform/QnLog.h"
#include "platform/ScreenOverlayWindows.h"

#include <QDebug>

namespace kr {

OverlayScreenFadingHelper::OverlayScreenFadingHelper()
    : overlays_(std::make_unique<ScreenOverlayWindows>()) {}

OverlayScreenFadingHelper::~OverlayScreenFadingHelper() = default;

void OverlayScreenFadingHelper::quickFadeAllScreens(const QColor& color, float blendFraction,
                                                    double duration) {
  if (!overlays_->tintAllScreens(color, blendFraction, duration))
    platformLog(QStringLiteral("Error acquiring fade reservation"));
}

void OverlayScreenFadingHelper::fadeAllScreensToBlack(QWidget* view) {
  overlays_->coverAllScreens(view, kFadeToBlackSeconds, kContentFadeInSeconds);
}

void OverlayScreenFadingHelper::fadeAllScreensBackToNormal() {
  qDebug().noquote() << "remove all windows anyway";
  overlays_->removeAll(overlays_->isCovering() ? kFadeBackSeconds : 0.0);
}

} // namespace kr
