#pragma once

#include "platform/services/HtmlView.h"

#include <QStringList>

#include <vector>

namespace kr {

// A web view for tests: records what it was asked to show and keeps a
// history as a browser does, without loading anything.
class TestHtmlView : public HtmlView {
  Q_OBJECT

public:
  explicit TestHtmlView(QWidget* parent = nullptr);

  void loadFile(const QString& path) override;
  void showBlankPage(const QString& line = {}) override;
  QUrl url() const override;
  void back() override;
  void forward() override;
  bool canGoBack() const override;
  bool canGoForward() const override;

  // Every file loaded, in order.
  const QStringList& loadedFiles() const { return loadedFiles_; }
  // How many blank pages were shown, and the line of the last one.
  int blankPages() const { return blankPages_; }
  const QString& blankPageLine() const { return blankPageLine_; }
  // A click on a link of the page: followed, or refused when it leaves.
  bool clickLink(const QUrl& url);

private:
  void visit(const QUrl& url);

  QStringList loadedFiles_;
  int blankPages_ = 0;
  QString blankPageLine_;
  std::vector<QUrl> history_;
  std::size_t current_ = 0;
};

} // namespace kr
