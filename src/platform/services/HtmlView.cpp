#include "platform/services/HtmlView.h"

#include "platform/services/BlankHtmlView.h"

namespace kr {

namespace {

HtmlView::Factory& installedFactory() {
  static HtmlView::Factory factory;
  return factory;
}

} // namespace

HtmlView::HtmlView(QWidget* parent) : QWidget(parent) {}

HtmlView::~HtmlView() = default;

HtmlView* HtmlView::create(QWidget* parent) {
  if (const Factory& factory = installedFactory())
    return factory(parent);
  return new BlankHtmlView(parent);
}

void HtmlView::installFactory(Factory factory) { installedFactory() = std::move(factory); }

void HtmlView::setLinkPolicy(LinkPolicy policy) { linkPolicy_ = std::move(policy); }

bool HtmlView::linkStaysInside(const QUrl& url) const {
  if (linkPolicy_)
    return linkPolicy_(url);
  return url.isLocalFile();
}

} // namespace kr
