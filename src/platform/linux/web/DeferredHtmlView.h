#pragma once

#include "platform/services/HtmlView.h"

#include <QPointer>
#include <QUrl>

class QLabel;
class QStackedLayout;

namespace kr {

// The program's web view. Qt WebEngine makes an OpenGL context and a dozen
// threads as soon as its library is loaded, so the program does not link it:
// the engine lives in a module of its own ("korvane-r-web.so"), loaded when
// the first web view is shown. Until then this view only remembers what it
// was asked to show. Where the module cannot be loaded, the view says so in
// one line and every load reports failure.
class DeferredHtmlView : public HtmlView {
  Q_OBJECT

public:
  explicit DeferredHtmlView(QWidget* parent = nullptr);
  ~DeferredHtmlView() override;

  // What the engine needs before the application object exists; it must not
  // start anything.
  static void prepareApplication();
  // Whether the engine's module has been loaded in this process.
  static bool isEngineLoaded();
  // The module's file; empty when none is found.
  static QString modulePath();

  void loadFile(const QString& path) override;
  void showBlankPage(const QString& line = {}) override;
  QUrl url() const override;
  void back() override;
  void forward() override;
  bool canGoBack() const override;
  bool canGoForward() const override;

  // The engine's view; none before this view was first shown.
  HtmlView* engineView() const { return engine_; }
  // The line shown when the engine could not be loaded.
  QString failureLine() const;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void startEngine();

  QStackedLayout* stack_;
  QLabel* line_;
  QPointer<HtmlView> engine_;
  bool failed_ = false;
  QUrl pending_;        // a load asked for before the engine started
  QString pendingLine_; // a blank page asked for before then
  bool pendingBlank_ = false;
};

} // namespace kr
