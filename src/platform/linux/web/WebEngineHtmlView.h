#pragma once

#include "platform/services/HtmlView.h"

#include <QPointF>
#include <QPointer>
#include <QUrl>

#include <memory>
#include <optional>

class QLabel;
class QStackedLayout;
class QWebEngineProfile;
class QWebEngineView;

namespace kr {

class SmartTimerWrapper;

// The web view on Qt WebEngine. The engine starts when the view is first
// shown, so start-up stays fast; a load asked for while hidden waits until
// then. Pages come from an off-the-record profile without HTTP cache and
// have no context menu. When the page cannot be shown or its renderer dies,
// the view shows one line saying so; the next load tries again.
//
// The engine's view draws into an OpenGL texture, and Qt composes every
// window that holds such a widget through OpenGL at each repaint of any part
// of it. So the engine's view lives in a window of its own, embedded where
// this view is: the window around it stays a plain raster window and its
// other repaints never compose the page. Tab and Shift+Tab go into the page
// and, past its first or last link, on to the widgets around this view; the
// window's shortcuts keep their keys.
//
// A view hidden for a minute gives its page back: the page, its window and
// its profile are deleted, so the engine's render process ends. Shown again,
// it loads the same address and scrolls back to where the page stood.
class WebEngineHtmlView : public HtmlView {
  Q_OBJECT

public:
  explicit WebEngineHtmlView(QWidget* parent = nullptr);
  ~WebEngineHtmlView() override;

  void loadFile(const QString& path) override;
  void showBlankPage(const QString& line = {}) override;
  QUrl url() const override;
  void back() override;
  void forward() override;
  bool canGoBack() const override;
  bool canGoForward() const override;

  // The engine's view; none before the view was first shown.
  QWebEngineView* engineView() const { return view_; }
  // The line shown instead of a page; empty while a page shows.
  QString shownLine() const;
  // The window the engine's view lives in, and the widget that embeds it
  // here; none before the view was first shown.
  QWidget* pageWindow() const { return host_; }
  QWidget* pageContainer() const { return container_; }
  // How long the view stays hidden before its page is given back.
  static constexpr double kReleaseAfterSeconds = 60.0;
  // How long after that the memory freed is handed back to the system.
  static constexpr double kTrimAfterSeconds = 5.0;

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  void startEngine();
  void releasePage();
  void loadUrl(const QUrl& url);
  void showLine(const QString& line);
  void onLoadFinished(bool ok);
  void showPage();
  bool embedPage();
  // Moves the keyboard from the page to the next (or previous) widget
  // around this view.
  void leavePage(bool next);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Tells the engine its page gained (or lost) the keyboard; false when the
  // engine's widget offers no way to.
  bool tellPageFocused(bool focused, Qt::FocusReason reason);

  QStackedLayout* stack_;
  QLabel* line_;
  QWebEngineProfile* profile_ = nullptr;
  QWebEngineView* view_ = nullptr;
  QWidget* host_ = nullptr;      // a top-level widget of its own
  QWidget* container_ = nullptr; // embeds host_'s window in the stack
  QUrl pending_;                 // a load asked for before the engine started
  QUrl shownUrl_;                // the page's address as last reported
  bool showingLine_ = true;
  std::shared_ptr<SmartTimerWrapper> releaseTimer_;
  // Where the page given back stood, put back once it is loaded again.
  std::optional<QPointF> scrollBack_;
  // Where the page stood as the view was last hidden, once the page said.
  std::optional<QPointF> hiddenScroll_;
  bool releaseDue_ = false; // hidden long enough, waiting for that answer
  // The engine's item last told it has the keyboard.
  QPointer<QObject> focusedItem_;
};

} // namespace kr
