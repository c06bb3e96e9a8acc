#include "platform/services/TestHtmlView.h"

namespace kr {

TestHtmlView::TestHtmlView(QWidget* parent) : HtmlView(parent) {}

void TestHtmlView::visit(const QUrl& url) {
  if (!history_.empty())
    history_.resize(current_ + 1);
  history_.push_back(url);
  current_ = history_.size() - 1;
  Q_EMIT loadFinished(true);
}

void TestHtmlView::loadFile(const QString& path) {
  loadedFiles_.append(path);
  blankPageLine_.clear();
  visit(QUrl::fromLocalFile(path));
}

void TestHtmlView::showBlankPage(const QString& line) {
  ++blankPages_;
  blankPageLine_ = line;
  visit(QUrl(QStringLiteral("about:blank")));
}

QUrl TestHtmlView::url() const { return history_.empty() ? QUrl() : history_[current_]; }

void TestHtmlView::back() {
  if (canGoBack()) {
    --current_;
    Q_EMIT loadFinished(true);
  }
}

void TestHtmlView::forward() {
  if (canGoForward()) {
    ++current_;
    Q_EMIT loadFinished(true);
  }
}

bool TestHtmlView::canGoBack() const { return !history_.empty() && current_ > 0; }

bool TestHtmlView::canGoForward() const { return current_ + 1 < history_.size(); }

bool TestHtmlView::clickLink(const QUrl& url) {
  if (!linkStaysInside(url))
    return false;
  visit(url);
  return true;
}

} // namespace kr
