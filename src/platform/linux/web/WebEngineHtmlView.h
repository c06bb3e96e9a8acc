#pragma once

#include "platform/services/HtmlView.h"

#include <QUrl>

class QLabel;
class QStackedLayout;
class QWebEngineProfile;
class QWebEngineView;

namespace kr {

// The web view on Qt WebEngine. The engine starts when the view is first
// shown, so start-up stays fast; a load asked for while hidden waits until
// then. Pages come from an off-the-record profile without HTTP cache and
// have no context menu. When the page cannot be shown or its renderer dies,
// the view shows one line saying so; the next load tries again.
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

protected:
  void showEvent(QShowEvent* event) override;

private:
  void startEngine();
  void showLine(const QString& line);
  void onLoadFinished(bool ok);

  QStackedLayout* stack_;
  QLabel* line_;
  QWebEngineProfile* profile_ = nullptr;
  QWebEngineView* view_ = nullptr;
  QUrl pending_;  // a load asked for before the engine started
  QUrl shownUrl_; // the page's address as last reported
  bool showingLine_ = true;
};

} // namespace kr
