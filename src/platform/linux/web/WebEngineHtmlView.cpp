#include "platform/linux/web/WebEngineHtmlView.h"

#include "platform/FreedMemory.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/linux/web/WebEnginePage.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QQuickItem>
#include <QQuickWidget>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>

#include <malloc.h>

namespace kr {

namespace {

const QUrl kBlank(QStringLiteral("about:blank"));

QString notShownLine() { return QStringLiteral("This page could not be shown."); }

QString rendererStoppedLine() {
  return QStringLiteral("The web engine stopped while showing this page.");
}

// The window the engine's view lives in. Tab past the page's last link (or
// Shift+Tab before its first) asks the window for the next widget; there is
// none in here, so the keyboard goes back to the widgets around the page.
class PageWindow : public QWidget {
public:
  explicit PageWindow(std::function<void(bool next)> leave) : leave_(std::move(leave)) {}

protected:
  bool focusNextPrevChild(bool next) override {
    leave_(next);
    return true;
  }

private:
  std::function<void(bool next)> leave_;
};

// Whether Tab may stop at the widget, as Qt's own focus chain decides.
bool takesTabFocus(QWidget* widget, QWidget* window) {
  return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !widget->focusProxy() &&
         widget->isVisibleTo(window) && widget->isEnabled() && window->isAncestorOf(widget);
}

// The item of the engine's scene that takes the keyboard for the page: the
// one Tab stops at.
QQuickItem* keyboardItem(QQuickItem* root) {
  QList<QQuickItem*> items;
  if (root)
    items.append(root);
  for (qsizetype i = 0; i < items.size(); ++i) {
    if (items[i]->activeFocusOnTab())
      return items[i];
    items.append(items[i]->childItems());
  }
  return nullptr;
}

} // namespace

WebEngineHtmlView::WebEngineHtmlView(QWidget* parent)
    : HtmlView(parent), stack_(new QStackedLayout(this)), line_(new QLabel(this)) {
  stack_->setContentsMargins(0, 0, 0, 0);
  line_->setAlignment(Qt::AlignCenter);
  line_->setWordWrap(true);
  stack_->addWidget(line_);
}

WebEngineHtmlView::~WebEngineHtmlView() {
  if (releaseTimer_)
    releaseTimer_->stop();
  // The engine may answer the page's last question as the page goes.
  releaseDue_ = false;
  // The page's window goes before the container that embeds it (which would
  // delete the window under its widget), and the page before its profile.
  delete host_;
  delete profile_;
}

void WebEngineHtmlView::showEvent(QShowEvent* event) {
  HtmlView::showEvent(event);
  releaseDue_ = false;
  if (releaseTimer_) {
    releaseTimer_->stop();
    releaseTimer_.reset();
  }
  if (!view_)
    startEngine();
}

void WebEngineHtmlView::hideEvent(QHideEvent* event) {
  HtmlView::hideEvent(event);
  if (!view_ || releaseTimer_)
    return;
  // The engine's own scroll position lags behind the page's (at times it
  // reads none at all): the page says where it stands as it is hidden, and
  // the page is given back once it has.
  hiddenScroll_.reset();
  view_->page()->runJavaScript(
      QStringLiteral("[window.scrollX, window.scrollY]"), [this](const QVariant& value) {
        const QVariantList xy = value.toList();
        hiddenScroll_ = xy.size() == 2 ? QPointF(xy[0].toDouble(), xy[1].toDouble()) : QPointF();
        if (releaseDue_)
          releasePage();
      });
  releaseTimer_ =
      SmartTimerWrapper::wrapTimer(kReleaseAfterSeconds, false, [this](SmartTimerWrapper&) {
        releaseTimer_.reset();
        releaseDue_ = true;
        if (hiddenScroll_)
          releasePage();
      });
  releaseTimer_->setTolerance(5.0);
}

void WebEngineHtmlView::releasePage() {
  releaseDue_ = false;
  if (!view_ || isVisible())
    return;
  // What the page showed comes back with it: its address (a page chosen
  // while hidden already waits for the next showing) and its scroll.
  if (!showingLine_ && !pending_.isValid() && view_->url().isValid()) {
    pending_ = view_->url();
    scrollBack_ = hiddenScroll_;
  }
  view_->page()->disconnect(this);
  stack_->setCurrentWidget(line_);
  focusedItem_.clear();
  // The page's window holds the engine's view and its page; the profile
  // goes last, once no page uses it.
  delete host_;
  host_ = nullptr;
  view_ = nullptr;
  delete container_;
  container_ = nullptr;
  delete profile_;
  profile_ = nullptr;
  shownUrl_.clear();
  // The engine frees the page's memory on its own threads over the next
  // moments; the allocator then keeps it unless asked to hand it back. The
  // pages of the engine's code and of the OpenGL software renderer that
  // drew the page are given back too: the engine stays loaded (it cannot
  // be unloaded) but idle, and reads back the little it runs.
  SmartTimerWrapper::wrapTimer(kTrimAfterSeconds, false, [](SmartTimerWrapper&) {
    ::malloc_trim(0);
    pageOutMappedFiles(
        {"libQt6WebEngineCore.so", "libLLVM", "/dri/", "libQt6Quick.so", "libQt6Qml.so"});
  });
}

void WebEngineHtmlView::startEngine() {
  profile_ = new QWebEngineProfile; // no storage name: off the record
  profile_->setHttpCacheType(QWebEngineProfile::NoCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  host_ = new PageWindow([this](bool next) { leavePage(next); });
  host_->setObjectName(QStringLiteral("Web Page Window"));
  // Its size is the container's, set by the container as it resizes. A
  // window never resized by hand is fitted to its contents each time it is
  // shown: the page's window, shown again with its pad, shrank to the engine
  // widget's least size and left the rest of the pane black.
  host_->setAttribute(Qt::WA_Resized);
  auto* hostLayout = new QVBoxLayout(host_);
  hostLayout->setContentsMargins(0, 0, 0, 0);
  view_ = new QWebEngineView(host_);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  hostLayout->addWidget(view_);
  auto* page = new WebEnginePage(
      profile_, [this](const QUrl& url) { return linkStaysInside(url); }, view_);
  view_->setPage(page);
  connect(page, &QWebEnginePage::loadFinished, this, &WebEngineHtmlView::onLoadFinished);
  connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
    // A move within the page shown (to an anchor, or back from one) loads
    // nothing, yet it is a finished load; whichever page a link reached.
    const QUrl previous = shownUrl_;
    shownUrl_ = url;
    if (!showingLine_ && previous.isValid() && url != previous &&
        url.adjusted(QUrl::RemoveFragment) == previous.adjusted(QUrl::RemoveFragment) &&
        !view_->page()->isLoading())
      Q_EMIT loadFinished(true);
  });
  connect(page, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status != QWebEnginePage::NormalTerminationStatus)
              showLine(rendererStoppedLine());
            // Its page answers no more: a page hidden long enough goes now.
            hiddenScroll_ = QPointF();
            if (releaseDue_)
              QMetaObject::invokeMethod(this, &WebEngineHtmlView::releasePage,
                                        Qt::QueuedConnection);
          });
  if (pending_.isValid()) {
    const QUrl url = pending_;
    pending_.clear();
    loadUrl(url);
  }
}

void WebEngineHtmlView::loadFile(const QString& path) {
  scrollBack_.reset();
  loadUrl(QUrl::fromLocalFile(path));
}

void WebEngineHtmlView::loadUrl(const QUrl& url) {
  if (!view_) {
    pending_ = url;
    return;
  }
  showingLine_ = false;
  line_->clear();
  view_->load(url);
  showPage();
}

void WebEngineHtmlView::onLoadFinished(bool ok) {
  if (ok && scrollBack_ && !showingLine_) {
    view_->page()->runJavaScript(
        QStringLiteral("window.scrollTo(%1, %2)").arg(scrollBack_->x()).arg(scrollBack_->y()));
  }
  scrollBack_.reset();
  if (!ok && !showingLine_)
    showLine(notShownLine());
  Q_EMIT loadFinished(ok);
}

void WebEngineHtmlView::showPage() {
  showingLine_ = false;
  if (embedPage())
    stack_->setCurrentWidget(container_);
}

bool WebEngineHtmlView::embedPage() {
  if (container_)
    return true;
  // The page's window is made once the engine's widget is in it, which its
  // first load brings: a window made before is made again for the widget
  // (to be composed through OpenGL), and the container would lose it.
  view_->installEventFilter(this);
  if (!view_->focusProxy())
    return false;
  host_->winId();
  container_ = QWidget::createWindowContainer(host_->windowHandle(), this);
  container_->setObjectName(QStringLiteral("Web Page"));
  container_->setFocusPolicy(Qt::StrongFocus);
  container_->installEventFilter(this);
  view_->focusProxy()->installEventFilter(this);
  stack_->addWidget(container_);
  return true;
}

void WebEngineHtmlView::leavePage(bool next) {
  if (!container_)
    return;
  QWidget* window = container_->window();
  QWidget* target = nullptr;
  for (QWidget* widget = container_;;) {
    widget = next ? widget->nextInFocusChain() : widget->previousInFocusChain();
    if (!widget || widget == container_)
      break;
    if (takesTabFocus(widget, window)) {
      target = widget;
      break;
    }
  }
  if (!target)
    return;
  target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  window->activateWindow();
}

bool WebEngineHtmlView::eventFilter(QObject* watched, QEvent* event) {
  QWidget* page = view_ ? view_->focusProxy() : nullptr;
  if (watched == view_ && event->type() == QEvent::ChildAdded) {
    // The engine's widget arrived (or came again after its renderer
    // stopped): embed it, and hear its clicks, once it is settled in.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (QWidget* widget = view_->focusProxy())
            widget->installEventFilter(this);
          if (!container_ && !showingLine_)
            showPage();
        },
        Qt::QueuedConnection);
  }
  if (watched == page && event->type() == QEvent::MouseButtonPress && container_)
    container_->setFocus(Qt::MouseFocusReason);
  if (watched != container_ || !page)
    return HtmlView::eventFilter(watched, event);
  // X11 does not let the window of an embedded widget take the keyboard
  // from the window around it, as Qt 6.4 has it: the keyboard stays with
  // the container, which hands its keys and its focus on to the page. A Tab
  // into the page starts at its first link (a Shift+Tab at its last).
  switch (event->type()) {
  case QEvent::FocusIn: {
    QCoreApplication::sendEvent(page, event);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (!tellPageFocused(true, reason) &&
        (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
      const bool back = reason == Qt::BacktabFocusReason;
      QKeyEvent key(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ShiftModifier : Qt::NoModifier);
      QCoreApplication::sendEvent(page, &key);
    }
    return true;
  }
  case QEvent::FocusOut:
    QCoreApplication::sendEvent(page, event);
    tellPageFocused(false, static_cast<QFocusEvent*>(event)->reason());
    return true;
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
  case QEvent::InputMethod:
    QCoreApplication::sendEvent(page, event);
    return true;
  default:
    return HtmlView::eventFilter(watched, event);
  }
}

bool WebEngineHtmlView::tellPageFocused(bool focused, Qt::FocusReason reason) {
  // The engine's widget draws through a scene of its own, whose item tells
  // the engine when the page gains or loses the keyboard. The scene gives
  // that item the keyboard only while the page's own window is the focused
  // one, which it never is here: the item hears of it directly, so the page
  // is focused and active as a page in a window of its own would be, and its
  // focused link shows its ring. A Tab or Shift+Tab puts the page's first or
  // last link in focus. (The scene itself still counts its item unfocused,
  // and the engine tells assistive tools of focus moves only when it does.)
  if (!focused) {
    if (focusedItem_) {
      QFocusEvent blur(QEvent::FocusOut, reason);
      QCoreApplication::sendEvent(focusedItem_, &blur);
      focusedItem_.clear();
    }
    return true;
  }
  auto* scene = qobject_cast<QQuickWidget*>(view_->focusProxy());
  QQuickItem* item = scene ? keyboardItem(scene->rootObject()) : nullptr;
  if (!item)
    return false;
  if (item->hasActiveFocus() || item == focusedItem_)
    return true;
  focusedItem_ = item;
  QFocusEvent focus(QEvent::FocusIn, reason);
  QCoreApplication::sendEvent(item, &focus);
  return true;
}

void WebEngineHtmlView::showLine(const QString& line) {
  showingLine_ = true;
  line_->setText(line);
  stack_->setCurrentWidget(line_);
}

void WebEngineHtmlView::showBlankPage(const QString& line) {
  pending_.clear();
  scrollBack_.reset();
  showLine(line);
}

QString WebEngineHtmlView::shownLine() const { return showingLine_ ? line_->text() : QString(); }

QUrl WebEngineHtmlView::url() const {
  if (pending_.isValid())
    return pending_;
  if (showingLine_ || !view_)
    return kBlank;
  return view_->url();
}

void WebEngineHtmlView::back() {
  if (view_ && canGoBack()) {
    showPage();
    view_->back();
  }
}

void WebEngineHtmlView::forward() {
  if (view_ && canGoForward()) {
    showPage();
    view_->forward();
  }
}

bool WebEngineHtmlView::canGoBack() const { return view_ && view_->history()->canGoBack(); }

bool WebEngineHtmlView::canGoForward() const { return view_ && view_->history()->canGoForward(); }

} // namespace kr
