#include "platform/linux/web/WebEngineHtmlView.h"

#include "platform/linux/web/WebEnginePage.h"

#include <QLabel>
#include <QStackedLayout>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace kr {

namespace {

const QUrl kBlank(QStringLiteral("about:blank"));

QString notShownLine() { return QStringLiteral("This page could not be shown."); }

QString rendererStoppedLine() {
  return QStringLiteral("The web engine stopped while showing this page.");
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
  // The page must go before its profile.
  delete view_;
  delete profile_;
}

void WebEngineHtmlView::showEvent(QShowEvent* event) {
  HtmlView::showEvent(event);
  if (!view_)
    startEngine();
}

void WebEngineHtmlView::startEngine() {
  profile_ = new QWebEngineProfile; // no storage name: off the record
  profile_->setHttpCacheType(QWebEngineProfile::NoCache);
  profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  view_ = new QWebEngineView(this);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  auto* page = new WebEnginePage(
      profile_, [this](const QUrl& url) { return linkStaysInside(url); }, view_);
  view_->setPage(page);
  stack_->addWidget(view_);
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
          });
  if (pending_.isValid()) {
    const QUrl url = pending_;
    pending_.clear();
    loadFile(url.toLocalFile());
  }
}

void WebEngineHtmlView::loadFile(const QString& path) {
  const QUrl url = QUrl::fromLocalFile(path);
  if (!view_) {
    pending_ = url;
    return;
  }
  showingLine_ = false;
  line_->clear();
  stack_->setCurrentWidget(view_);
  view_->load(url);
}

void WebEngineHtmlView::onLoadFinished(bool ok) {
  if (!ok && !showingLine_)
    showLine(notShownLine());
  Q_EMIT loadFinished(ok);
}

void WebEngineHtmlView::showLine(const QString& line) {
  showingLine_ = true;
  line_->setText(line);
  stack_->setCurrentWidget(line_);
}

void WebEngineHtmlView::showBlankPage(const QString& line) {
  pending_.clear();
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
    showingLine_ = false;
    stack_->setCurrentWidget(view_);
    view_->back();
  }
}

void WebEngineHtmlView::forward() {
  if (view_ && canGoForward()) {
    showingLine_ = false;
    stack_->setCurrentWidget(view_);
    view_->forward();
  }
}

bool WebEngineHtmlView::canGoBack() const { return view_ && view_->history()->canGoBack(); }

bool WebEngineHtmlView::canGoForward() const { return view_ && view_->history()->canGoForward(); }

} // namespace kr
