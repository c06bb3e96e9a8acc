#include "effects/ScreenFadingHelper.h"

#include "platform/QnLog.h"

namespace kr {

void UnavailableScreenFadingHelper::quickFadeAllScreens(const QColor&, float, double) {
  reportOnce();
}
void UnavailableScreenFadingHelper::fadeAllScreensToBlack(QWidget*) { reportOnce(); }
void UnavailableScreenFadingHelper::fadeAllScreensBackToNormal() {}

void UnavailableScreenFadingHelper::reportOnce() {
  if (reported_)
    return;
  reported_ = true;
  platformLog(QStringLiteral("Screen fading is not available: screens are not dimmed or flashed."));
}

} // namespace kr
