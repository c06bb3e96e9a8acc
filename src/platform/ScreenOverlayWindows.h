#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QScreen;

namespace kr {

class SmartTimerWrapper;

// Frameless, stay-on-top windows that cover every screen: the black rest
// screen (with a content view on the primary screen) and the brief tint of a
// dimming or flash. One window per QScreen, created on the screen it covers;
// screens added or removed while covering are followed. Every animation runs
// on SmartTimerWrapper ticks, never blocking the event loop. Whatever ends the
// cover (removeAll, this object's end, the application quitting), no window is
// left behind.
class ScreenOverlayWindows final : public QObject {
  Q_OBJECT

public:
  static constexpr double kFrameInterval = 1.0 / 30.0;

  explicit ScreenOverlayWindows(QObject* parent = nullptr);
  ~ScreenOverlayWindows() override;

  // Covers every screen with black, fading the windows in over `fadeIn`
  // seconds. `content` is placed in the centre of the primary screen's window
  // and owned by it from then on; it fades in over `contentFadeIn` seconds and
  // receives no mouse input until it is fully shown. It takes the keyboard
  // at once, so that keys never reach the windows hidden beneath; the window
  // that had the keyboard gets it back when the cover comes down.
  // A cover already up is replaced.
  void coverAllScreens(QWidget* content, double fadeIn, double contentFadeIn);
  // Tints every screen towards `color` by `alpha` over half the duration and
  // back over the other half. The tint never takes input. Returns false (and
  // does nothing) while a cover is up.
  bool tintAllScreens(const QColor& color, double alpha, double duration);
  // Takes the cover down: the content is hidden at once, the windows stop
  // taking input and fade out over `fadeOut` seconds, then they go. With 0
  // they go at once. Safe to call at any time, also when nothing is shown.
  void removeAll(double fadeOut = 0.0);

  bool isCovering() const { return covering_; }
  bool isContentFullyShown() const { return contentFullyShown_; }
  // The windows now on screen (covering, tinting or fading out).
  std::vector<QWidget*> windows() const;
  QWidget* content() const { return content_.data(); }
  // The window on `screen`, if any.
  QWidget* windowOn(const QScreen* screen) const;
  // What Ctrl+Q does while the cover has the keyboard: what the program's
  // quit key does elsewhere. None: the key does nothing there.
  void setQuitKeyAction(std::function<void()> action) { quitKeyAction_ = std::move(action); }
  // A window of a cover or tint (of any instance).
  static bool isCoverWindow(const QWidget* window);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  struct Overlay;

  bool isOverlayWindow(const QWidget* window) const;

  void createWindowFor(QScreen* screen);
  void placeContent();
  void placeVeil();
  void removeWindowFor(QScreen* screen);
  void startAnimation(double from, double to, double duration, bool thenRemove, bool thenReverse,
                      double reverseDuration);
  void tick();
  void applyOpacity(double opacity);
  void applyContentOpacity(double opacity);
  void destroyWindows();
  void stopTimers();
  void takeKeyboard();
  void giveKeyboardBack();

  std::vector<std::unique_ptr<Overlay>> overlays_;
  QPointer<QWidget> content_;
  // Over the content while it fades in.
  QPointer<QWidget> veil_;
  // The window that had the keyboard before the content took it.
  QPointer<QWidget> keyboardBefore_;
  bool holdsKeyboard_ = false;
  std::function<void()> quitKeyAction_;
  QColor color_ = Qt::black;
  bool covering_ = false;
  bool contentFullyShown_ = false;
  bool inputTransparent_ = false;

  // The window animation.
  std::shared_ptr<SmartTimerWrapper> timer_;
  double from_ = 0.0;
  double to_ = 0.0;
  double duration_ = 0.0;
  double elapsed_ = 0.0;
  bool thenRemove_ = false;
  bool thenReverse_ = false;
  double reverseDuration_ = 0.0;
  // The content fade-in.
  std::shared_ptr<SmartTimerWrapper> contentTimer_;
  double contentElapsed_ = 0.0;
  double contentDuration_ = 0.0;
};

} // namespace kr
