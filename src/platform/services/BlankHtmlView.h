#pragma once

#include "platform/services/HtmlView.h"

namespace kr {

// The web view while no back end is installed: it shows nothing, keeps the
// address it was given and reports every load as failed.
class BlankHtmlView : public HtmlView {
  Q_OBJECT

public:
  explicit BlankHtmlView(QWidget* parent = nullptr);

  void loadFile(const QString& path) override;
  void showBlankPage(const QString& line = {}) override;
  QUrl url() const override { return url_; }
  void back() override {}
  void forward() override {}
  bool canGoBack() const override { return false; }
  bool canGoForward() const override { return false; }

private:
  QUrl url_;
};

} // namespace kr
