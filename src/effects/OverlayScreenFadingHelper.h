#pragma once

#include "effects/ScreenFadingHelper.h"

#include <memory>

namespace kr {

class ScreenOverlayWindows;

// The screen effects on Linux: the dimming, the flash and the black rest
// screen are windows over every screen (ScreenOverlayWindows). Only one
// effect holds the screens at a time: a dimming or flash asked for while the
// rest screen is up is skipped with the console line "Error acquiring fade
// reservation". The rest screen replaces a dimming still running.
class OverlayScreenFadingHelper final : public ScreenFadingHelper {
public:
  static constexpr double kFadeToBlackSeconds = 1.0;
  static constexpr double kContentFadeInSeconds = 5.0;
  static constexpr double kFadeBackSeconds = 0.5;

  OverlayScreenFadingHelper();
  ~OverlayScreenFadingHelper() override;

  void quickFadeAllScreens(const QColor& color, float blendFraction, double duration) override;
  void fadeAllScreensToBlack(QWidget* view) override;
  // Fades back only after a fade to black; removing the windows is always
  // done and always safe.
  void fadeAllScreensBackToNormal() override;

  ScreenOverlayWindows& overlays() const { return *overlays_; }

private:
  std::unique_ptr<ScreenOverlayWindows> overlays_;
};

} // namespace kr
