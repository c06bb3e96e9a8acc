#pragma once

#include "kit/NiblessViewController.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/walls/FragmentStackView.h"
#include "platform/services/HtmlView.h"

#include <QPointer>
#include <QString>

namespace kr {

// The help viewer: a row of four small buttons (index, previous, next, open in
// browser) above a web view showing the help pages. Its view can be placed in
// any parent widget; it leaves a band at its top for the pad's header.
class HelpViewController : public NiblessViewController {
  Q_OBJECT

public:
  static constexpr double kTopMargin = 40.0;
  static constexpr double kButtonHeight = 20.0;

  // `makeWebView` makes the web view when the view is built; none: the web
  // view of the installed back end.
  explicit HelpViewController(HtmlView::Factory makeWebView = {}, QObject* parent = nullptr);
  ~HelpViewController() override;

  // Builds the view and starts loading "welcome.html".
  void build() override;
  // Shows the help page with this file name. The page already shown stays as
  // it is; a name that is no page of the help folder shows a line saying so.
  void showPage(const QString& lastPathComponent);

  // Whether a clicked link stays in the viewer: the pages of the help folder
  // do, every other address opens in the desktop's browser.
  static bool linkStaysInside(const QUrl& url);

  FragmentStackView* fragmentStackView() const { return fragmentStackView_; }
  HtmlView* webView() const { return webView_; }
  PushButtonBrick* indexButton() const { return indexButton_; }
  PushButtonBrick* backButton() const { return backButton_; }
  PushButtonBrick* forwardButton() const { return forwardButton_; }
  PushButtonBrick* openInBrowserButton() const { return openInBrowserButton_; }

  // The buttons' actions.
  void showIndex();
  void goBack();
  void goForward();
  // Opens the shown page in the desktop's browser; nothing without one.
  void openInBrowser();

private:
  // After every finished load and every move within a page.
  void webViewDidFinishLoad();
  void updateHistoryButtons();

  HtmlView::Factory makeWebView_;
  QPointer<FragmentStackView> fragmentStackView_;
  QPointer<HtmlView> webView_;
  QPointer<PushButtonBrick> indexButton_;
  QPointer<PushButtonBrick> backButton_;
  QPointer<PushButtonBrick> forwardButton_;
  QPointer<PushButtonBrick> openInBrowserButton_;
};

} // namespace kr
