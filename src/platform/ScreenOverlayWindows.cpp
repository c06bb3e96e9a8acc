#include "platform/ScreenOverlayWindows.h"

#include "platform/SmartTimerWrapper.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace kr {

namespace {

// A borderless window over one whole screen. It swallows every click that
// reaches it, so nothing behind the cover can be touched.
class OverlayWindow final : public QWidget {
public:
  OverlayWindow(QScreen* screen, const QColor& color, bool inputTransparent) {
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint;
    if (inputTransparent)
      flags |= Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    setWindowFlags(flags);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("ScreenOverlayWindow"));
    setWindowTitle(QStringLiteral("Korvane-R"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color);
    setPalette(palette);
    setScreen(screen);
    setGeometry(screen->geometry());
  }

protected:
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }
  void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
  void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
};

// The cover's colour laid over the content while it fades in, thinner at
// each step. Beneath it the content paints as it always does, each part only
// where it changed: the window system's copy of the screen holds the whole
// content at the step's shade at every moment. (An opacity effect on the
// content would not: Qt leaves the content's opaque parts out of the effect's
// repaints, and they would show only where they changed, each at the shade of
// its moment.)
class ContentVeil final : public QWidget {
public:
  explicit ContentVeil(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ScreenOverlayContentVeil"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }
  void setShade(const QColor& shade) {
    if (shade == shade_)
      return;
    shade_ = shade;
    update();
  }

protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.fillRect(event->rect(), shade_);
  }

private:
  QColor shade_ = Qt::transparent;
};

} // namespace

struct ScreenOverlayWindows::Overlay {
  QPointer<QScreen> screen;
  QPointer<QWidget> window;
};

ScreenOverlayWindows::ScreenOverlayWindows(QObject* parent) : QObject(parent) {
  connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
    if (!covering_)
      return;
    createWindowFor(screen);
    applyOpacity(timer_ ? from_ + (to_ - from_) * std::min(1.0, elapsed_ / duration_) : to_);
  });
  connect(qApp, &QGuiApplication::screenRemoved, this,
          [this](QScreen* screen) { removeWindowFor(screen); });
  connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen*) {
    if (covering_)
      placeContent();
  });
  // The last word on quitting: no window may outlive the application's loop.
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { removeAll(0.0); });
}

ScreenOverlayWindows::~ScreenOverlayWindows() {
  stopTimers();
  destroyWindows();
}

void ScreenOverlayWindows::coverAllScreens(QWidget* content, double fadeIn, double contentFadeIn) {
  // Some window systems hand the keyboard to a window as it shows: the
  // window that had it is noted first (under a cover replaced, the one
  // before that cover).
  const QPointer<QWidget> keyboardBefore =
      keyboardBefore_ ? keyboardBefore_ : QPointer<QWidget>(QApplication::activeWindow());
  removeAll(0.0);
  covering_ = true;
  color_ = Qt::black;
  inputTransparent_ = false;
  contentFullyShown_ = false;
  content_ = content;
  keyboardBefore_ = keyboardBefore;
  for (QScreen* screen : QGuiApplication::screens())
    createWindowFor(screen);
  placeContent();
  applyOpacity(fadeIn > 0.0 ? 0.0 : 1.0);
  // A screen added later takes the opacity the cover is heading for.
  to_ = 1.0;
  if (fadeIn > 0.0)
    startAnimation(0.0, 1.0, fadeIn, false, false, 0.0);
  // The keyboard as the mouse: from the start nothing beneath the cover takes it.
  takeKeyboard();

  if (content_) {
    contentDuration_ = std::max(0.0, contentFadeIn);
    contentElapsed_ = 0.0;
    applyContentOpacity(contentDuration_ > 0.0 ? 0.0 : 1.0);
    if (contentDuration_ > 0.0) {
      contentTimer_ =
          SmartTimerWrapper::wrapTimer(kFrameInterval, true, [this](SmartTimerWrapper&) {
            contentElapsed_ += kFrameInterval;
            const double fraction = std::min(1.0, contentElapsed_ / contentDuration_);
            applyContentOpacity(fraction);
            if (fraction >= 1.0 && contentTimer_) {
              contentTimer_->stop();
              contentTimer_.reset();
            }
          });
    }
  }
}

bool ScreenOverlayWindows::tintAllScreens(const QColor& color, double alpha, double duration) {
  if (covering_)
    return false;
  removeAll(0.0);
  color_ = color;
  inputTransparent_ = true;
  for (QScreen* screen : QGuiApplication::screens())
    createWindowFor(screen);
  applyOpacity(0.0);
  const double half = std::max(kFrameInterval, duration * 0.5);
  from_ = 0.0;
  startAnimation(0.0, std::clamp(alpha, 0.0, 1.0), half, false, true, half);
  return true;
}

void ScreenOverlayWindows::removeAll(double fadeOut) {
  const bool wasCovering = covering_;
  covering_ = false;
  contentFullyShown_ = false;
  giveKeyboardBack();
  if (contentTimer_) {
    contentTimer_->stop();
    contentTimer_.reset();
  }
  if (content_)
    content_->hide();
  delete veil_.data();
  if (overlays_.empty()) {
    stopTimers();
    return;
  }
  if (fadeOut <= 0.0 || !wasCovering) {
    stopTimers();
    destroyWindows();
    return;
  }
  // Fading out: the windows take no input from now on.
  for (const auto& overlay : overlays_) {
    if (overlay->window)
      overlay->window->setAttribute(Qt::WA_TransparentForMouseEvents, true);
  }
  startAnimation(1.0, 0.0, fadeOut, true, false, 0.0);
}

std::vector<QWidget*> ScreenOverlayWindows::windows() const {
  std::vector<QWidget*> list;
  for (const auto& overlay : overlays_) {
    if (overlay->window)
      list.push_back(overlay->window);
  }
  return list;
}

QWidget* ScreenOverlayWindows::windowOn(const QScreen* screen) const {
  for (const auto& overlay : overlays_) {
    if (overlay->screen == screen)
      return overlay->window;
  }
  return nullptr;
}

void ScreenOverlayWindows::createWindowFor(QScreen* screen) {
  if (!screen || windowOn(screen))
    return;
  auto overlay = std::make_unique<Overlay>();
  overlay->screen = screen;
  overlay->window = new OverlayWindow(screen, color_, inputTransparent_);
  overlay->window->show();
  overlay->window->raise();
  overlays_.push_back(std::move(overlay));
}

void ScreenOverlayWindows::placeContent() {
  if (!content_)
    return;
  QWidget* window = windowOn(QGuiApplication::primaryScreen());
  if (!window && !overlays_.empty())
    window = overlays_.front()->window;
  if (!window)
    return;
  if (content_->parentWidget() != window)
    content_->setParent(window);
  const QSize size = content_->sizeHint().expandedTo(content_->minimumSize());
  content_->resize(size);
  content_->move((window->width() - size.width()) / 2, (window->height() - size.height()) / 2);
  content_->setAttribute(Qt::WA_TransparentForMouseEvents, !contentFullyShown_);
  content_->show();
  content_->raise();
  placeVeil();
}

void ScreenOverlayWindows::placeVeil() {
  if (!veil_ || !content_)
    return;
  if (veil_->parentWidget() != content_->parentWidget())
    veil_->setParent(content_->parentWidget());
  veil_->setGeometry(content_->geometry());
  veil_->show();
  veil_->raise();
}

void ScreenOverlayWindows::removeWindowFor(QScreen* screen) {
  auto it = std::find_if(overlays_.begin(), overlays_.end(),
                         [screen](const auto& overlay) { return overlay->screen == screen; });
  if (it == overlays_.end())
    return;
  QWidget* window = (*it)->window;
  const bool heldContent = content_ && window && content_->parentWidget() == window;
  if (heldContent)
    content_->setParent(nullptr);
  if (window) {
    window->hide();
    window->deleteLater();
  }
  overlays_.erase(it);
  // The content moves to the screen that is now the primary one.
  if (heldContent && covering_)
    placeContent();
}

void ScreenOverlayWindows::startAnimation(double from, double to, double duration, bool thenRemove,
                                          bool thenReverse, double reverseDuration) {
  if (timer_)
    timer_->stop();
  from_ = from;
  to_ = to;
  duration_ = std::max(kFrameInterval, duration);
  elapsed_ = 0.0;
  thenRemove_ = thenRemove;
  thenReverse_ = thenReverse;
  reverseDuration_ = reverseDuration;
  timer_ =
      SmartTimerWrapper::wrapTimer(kFrameInterval, true, [this](SmartTimerWrapper&) { tick(); });
}

void ScreenOverlayWindows::tick() {
  elapsed_ += kFrameInterval;
  const double fraction = std::min(1.0, elapsed_ / duration_);
  applyOpacity(from_ + (to_ - from_) * fraction);
  if (fraction < 1.0)
    return;
  if (thenReverse_) {
    startAnimation(to_, 0.0, reverseDuration_, true, false, 0.0);
    return;
  }
  timer_->stop();
  timer_.reset();
  if (thenRemove_)
    destroyWindows();
}

void ScreenOverlayWindows::applyOpacity(double opacity) {
  for (const auto& overlay : overlays_) {
    if (overlay->window)
      overlay->window->setWindowOpacity(opacity);
  }
}

void ScreenOverlayWindows::applyContentOpacity(double opacity) {
  if (!content_)
    return;
  if (opacity >= 1.0) {
    // Fully shown: the veil goes, and the content starts taking clicks.
    delete veil_.data();
    contentFullyShown_ = covering_;
    content_->setAttribute(Qt::WA_TransparentForMouseEvents, !contentFullyShown_);
    return;
  }
  if (!veil_ && content_->parentWidget()) {
    veil_ = new ContentVeil(content_->parentWidget());
    placeVeil();
  }
  if (!veil_)
    return;
  QColor shade = color_;
  shade.setAlphaF(static_cast<float>(std::clamp(1.0 - opacity, 0.0, 1.0)));
  static_cast<ContentVeil*>(veil_.data())->setShade(shade);
}

void ScreenOverlayWindows::destroyWindows() {
  std::vector<std::unique_ptr<Overlay>> overlays;
  overlays.swap(overlays_);
  for (const auto& overlay : overlays) {
    if (!overlay->window)
      continue;
    overlay->window->hide();
    // Later, not now: the removal may come from a click inside the window.
    overlay->window->deleteLater();
  }
}

void ScreenOverlayWindows::stopTimers() {
  if (timer_) {
    timer_->stop();
    timer_.reset();
  }
  if (contentTimer_) {
    contentTimer_->stop();
    contentTimer_.reset();
  }
}

bool ScreenOverlayWindows::isCoverWindow(const QWidget* window) {
  return dynamic_cast<const OverlayWindow*>(window) != nullptr;
}

bool ScreenOverlayWindows::isOverlayWindow(const QWidget* window) const {
  return window && std::any_of(overlays_.begin(), overlays_.end(),
                               [window](const auto& overlay) { return overlay->window == window; });
}

void ScreenOverlayWindows::takeKeyboard() {
  QWidget* window = content_ ? content_->window() : nullptr;
  if (!window || !content_->isVisible())
    return;
  // Window managers may keep the focus on a managed window (the one beneath
  // the cover): its keys are sent on to the content as well.
  if (!holdsKeyboard_)
    qApp->installEventFilter(this);
  holdsKeyboard_ = true;
  window->activateWindow();
  content_->setFocus(Qt::OtherFocusReason);
}

void ScreenOverlayWindows::giveKeyboardBack() {
  if (holdsKeyboard_)
    qApp->removeEventFilter(this);
  holdsKeyboard_ = false;
  QPointer<QWidget> before = keyboardBefore_;
  keyboardBefore_.clear();
  // Only while the keyboard is still the cover's: a window the user turned
  // to meanwhile keeps it.
  QWidget* active = QApplication::activeWindow();
  if (before && before->isVisible() && (!active || isOverlayWindow(active)))
    before->activateWindow();
}

bool ScreenOverlayWindows::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (!holdsKeyboard_ || !content_ ||
      (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride))
    return false;
  // Keys on their way to a window under the cover: its shortcuts are held
  // back and the keys go to the content.
  auto* widget = qobject_cast<QWidget*>(watched);
  QWidget* target = widget ? widget->window() : nullptr;
  auto* key = static_cast<QKeyEvent*>(event);
  const bool quitKey = QKeySequence(key->keyCombination()) == QKeySequence(Qt::CTRL | Qt::Key_Q);
  if (target && quitKey && quitKeyAction_ && isOverlayWindow(target)) {
    // On the cover itself, which no window's shortcuts reach (and the main
    // window may be blocked by a question beneath), the key quits as they would.
    if (type == QEvent::KeyPress && !key->isAutoRepeat())
      QTimer::singleShot(0, this, quitKeyAction_);
    event->accept();
    return true;
  }
  if (!target || isOverlayWindow(target))
    return false;
  // Quitting (the menu's Ctrl+Q) stays at hand, as before the cover came up.
  if (quitKey)
    return false;
  if (type == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  QWidget* receiver = content_->focusWidget() ? content_->focusWidget() : content_.data();
  QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                 static_cast<quint16>(key->count()));
  QCoreApplication::sendEvent(receiver, &copy);
  return true;
}

} // namespace kr
