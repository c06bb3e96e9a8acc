#include "platform/services/BlankHtmlView.h"

namespace kr {

BlankHtmlView::BlankHtmlView(QWidget* parent) : HtmlView(parent) {}

void BlankHtmlView::loadFile(const QString& path) {
  url_ = QUrl::fromLocalFile(path);
  Q_EMIT loadFinished(false);
}

void BlankHtmlView::showBlankPage(const QString&) { url_ = QUrl(QStringLiteral("about:blank")); }

} // namespace kr
