#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace kr {

// The screen effects: the quick dimming or flash of every display, and the
// black rest screen with a view on the main screen. The windows that do this
// are built elsewhere and installed at start-up.
class ScreenFadingHelper {
public:
  virtual ~ScreenFadingHelper() = default;
  // Fades every display towards the colour by the blend fraction over half the
  // duration and back over the other half, without blocking the event loop.
  virtual void quickFadeAllScreens(const QColor& color, float blendFraction, double duration) = 0;
  virtual void fadeAllScreensToBlack(QWidget* view) = 0;
  virtual void fadeAllScreensBackToNormal() = 0;
};

// Used until the real screen effects are installed: says so once and changes nothing.
class UnavailableScreenFadingHelper final : public ScreenFadingHelper {
public:
  void quickFadeAllScreens(const QColor& color, float blendFraction, double duration) override;
  void fadeAllScreensToBlack(QWidget* view) override;
  void fadeAllScreensBackToNormal() override;

private:
  void reportOnce();
  bool reported_ = false;
};

} // namespace kr
