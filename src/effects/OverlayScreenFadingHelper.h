#pragma once

#include "effects/ScreenFadingHelper.h"
#include "platform/services/ActiveWindowAPI.h"

#include <functional>
#include <memory>
#include <optional>

namespace kr {

class ScreenOverlayWindows;

// The screen effects on Linux: the dimming, the flash and the black rest
// screen are windows over every screen (ScreenOverlayWindows). Only one
// effect holds the screens at a time: a dimming or flash asked for while the
// rest screen is up is skipped with the console line "Error acquiring fade
// reservation". The rest screen replaces a dimming still running.
//
// A dimming or flash is a half-transparent window: where the desktop cannot
// show translucent windows (X11 without a compositing manager) it would
// cover every screen solid, so it is skipped and that is said once on the
// console. The rest screen is opaque black anyway and is always shown.
//
// When the rest screen comes while another program's window is active (the
// user works in an editor), that window is asked to become active again when
// the rest screen goes.
class OverlayScreenFadingHelper final : public ScreenFadingHelper {
public:
  static constexpr double kFadeToBlackSeconds = 1.0;
  static constexpr double kContentFadeInSeconds = 5.0;
  static constexpr double kFadeBackSeconds = 0.5;

  // Asked before every dimming or flash: false, with the reason, where
  // translucent windows show solid. None: they always show.
  using TranslucencyCheck = std::function<bool(QString* why)>;

  // `activeWindow` (not owned) tells the window in front before the rest
  // screen; none: nothing is given back.
  explicit OverlayScreenFadingHelper(TranslucencyCheck translucency = {},
                                     ActiveWindowAPI* activeWindow = nullptr);
  ~OverlayScreenFadingHelper() override;

  // Whether dimming and flashes can be shown now; `why` tells when not.
  bool canTint(QString* why = nullptr) const;

  void quickFadeAllScreens(const QColor& color, float blendFraction, double duration) override;
  void fadeAllScreensToBlack(QWidget* view) override;
  // Fades back only after a fade to black; removing the windows is always
  // done and always safe. Then the window in front before, if it was
  // another program's, is made active and forgotten.
  void fadeAllScreensBackToNormal() override;

  ScreenOverlayWindows& overlays() const { return *overlays_; }
  ActiveWindowAPI* activeWindow() const { return activeWindow_; }

private:
  std::unique_ptr<ScreenOverlayWindows> overlays_;
  TranslucencyCheck translucency_;
  ActiveWindowAPI* activeWindow_;
  // Another program's window that was active when the rest screen came.
  std::optional<ActiveWindowAPI::WindowId> tempPreviousApp_;
  bool reportedNoTint_ = false;
};

} // namespace kr
