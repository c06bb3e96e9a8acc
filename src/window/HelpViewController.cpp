#include "window/HelpViewController.h"

#include "window/HelpManager.h"

#include "art/KorvaneStyleKit.h"
#include "kit/BricksFactory.h"
#include "kit/FragmentStackView.h"
#include "kit/FragmentWall.h"
#include "kit/LayoutConstraintMaker.h"
#include "kit/PushButtonBrick.h"
#include "kit/StandardImages.h"
#include "platform/QnLog.h"
#include "platform/services/UrlOpenerAPI.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace kr {

namespace {

using A = LayoutAttribute;

const QString kWelcomePage = QStringLiteral("welcome.html");
const QString kIndexPage = QStringLiteral("index.html");

// A 16-point glyph in the buttons' text colour, for desktops whose icon theme
// lacks one.
QIcon drawnIcon(const std::function<void(QPainter&)>& paint) {
  QPixmap pixmap(32, 32);
  pixmap.setDevicePixelRatio(2.0);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor ink = QApplication::palette().color(QPalette::ButtonText);
  painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(ink);
  paint(painter);
  return QIcon(pixmap);
}

// A template image in the buttons' text colour, so it shows on light and dark
// backgrounds alike.
QIcon templateIcon(const DrawnImage& image) {
  QPixmap pixmap = StandardImages::icon(image).pixmap(QSize(16, 18), 2.0);
  QPainter painter(&pixmap);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(pixmap.rect(), QApplication::palette().color(QPalette::ButtonText));
  painter.end();
  return QIcon(pixmap);
}

QIcon triangleIcon(bool pointsLeft) {
  const QIcon themed =
      QIcon::fromTheme(pointsLeft ? QStringLiteral("go-previous") : QStringLiteral("go-next"));
  if (!themed.isNull())
    return themed;
  return drawnIcon([pointsLeft](QPainter& p) {
    QPainterPath triangle;
    if (pointsLeft) {
      triangle.moveTo(5, 8);
      triangle.lineTo(11, 4);
      triangle.lineTo(11, 12);
    } else {
      triangle.moveTo(11, 8);
      triangle.lineTo(5, 4);
      triangle.lineTo(5, 12);
    }
    triangle.closeSubpath();
    p.drawPath(triangle);
  });
}

QIcon followLinkIcon() {
  const QIcon themed = QIcon::fromTheme(QStringLiteral("document-open-remote"));
  if (!themed.isNull())
    return themed;
  return drawnIcon([](QPainter& p) {
    // An arrow leaving a box at its top right corner.
    p.setBrush(Qt::NoBrush);
    QPainterPath box;
    box.moveTo(7, 3.5);
    box.lineTo(3.5, 3.5);
    box.lineTo(3.5, 12.5);
    box.lineTo(12.5, 12.5);
    box.lineTo(12.5, 9);
    p.drawPath(box);
    p.drawLine(QPointF(7.5, 8.5), QPointF(12.5, 3.5));
    p.drawLine(QPointF(9, 3.5), QPointF(12.5, 3.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(12.5, 7));
  });
}

// A small, borderless icon button of the row, 20 points high.
PushButtonBrick* rowButton(BricksFactory& factory, const QIcon& icon, const QString& toolTip,
                           std::function<void()> action, const BricksFactory::Constraints& place) {
  PushButtonBrick* button = factory.borderlessButton(QString(), std::move(action), place);
  button->small(); // the small control size and its font
  button->setIcon(icon);
  button->setToolTip(toolTip);
  button->setAccessibleName(toolTip);
  button->setFixedHeight(int(HelpViewController::kButtonHeight));
  // Reached by Tab, not taken by a click (the page keeps the keys).
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

} // namespace

HelpViewController::HelpViewController(HtmlView::Factory makeWebView, QObject* parent)
    : NiblessViewController(true, parent), makeWebView_(std::move(makeWebView)) {}

HelpViewController::~HelpViewController() = default;

void HelpViewController::build() {
  if (view())
    return;
  auto* wall = new Wall;
  wall->setIdentifier(QStringLiteral("Help View"));
  setView(wall);

  // 1. The stack, leaving the band at the top for the pad's header.
  auto* stack = new FragmentStackView(Qt::Vertical);
  stack->setSpacing(0);
  fragmentStackView_ = stack;
  wall->factory()->internalAddBrick(stack, [](LayoutConstraintMaker& make) {
    make.container()
        .pin(A::Left, A::Left, 0)
        .pin(A::Right, A::Right, 0)
        .pin(A::Bottom, A::Bottom, 0)
        .pin(A::Top, A::Top, kTopMargin);
  });

  // 2. The button row.
  auto* buttonWall = new FragmentWall;
  buttonWall->setIdentifier(QStringLiteral("Help Buttons"));
  BricksFactory& buttons = *buttonWall->factory();
  indexButton_ = rowButton(
      buttons, templateIcon(KorvaneStyleKit::imageOfHelpIndexIcon()), QStringLiteral("Help Index"),
      [this] { showIndex(); },
      [](LayoutConstraintMaker& make) {
        make.container().pin(A::Left, A::Left, 0).pin(A::Top, A::Top, 0);
      });
  backButton_ = rowButton(
      buttons, triangleIcon(true), QStringLiteral("Previous"), [this] { goBack(); },
      [](LayoutConstraintMaker& make) {
        make.previous().place(A::Left, A::Right).pin(A::CenterY, A::CenterY, 0);
      });
  forwardButton_ = rowButton(
      buttons, triangleIcon(false), QStringLiteral("Next"), [this] { goForward(); },
      [](LayoutConstraintMaker& make) {
        make.previous().place(A::Left, A::Right).pin(A::CenterY, A::CenterY, 0);
      });
  openInBrowserButton_ = rowButton(
      buttons, followLinkIcon(), QStringLiteral("Open in Browser..."), [this] { openInBrowser(); },
      [](LayoutConstraintMaker& make) {
        make.previous().pin(A::CenterY, A::CenterY, 0);
        make.container().pin(A::Right, A::Right, 0).pin(A::Bottom, A::Bottom, -2.0);
      });
  backButton_->setEnabled(false);
  forwardButton_->setEnabled(false);
  stack->addFragment(buttonWall);

  // 3. The web view, one point in from the left.
  auto* webWall = new FragmentWall;
  webWall->setIdentifier(QStringLiteral("Help Web Wall"));
  webWall->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  HtmlView* web = makeWebView_ ? makeWebView_(nullptr) : HtmlView::create();
  web->setObjectName(QStringLiteral("Help Web View"));
  web->setMinimumSize(360, 360);
  web->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  web->setLinkPolicy(&HelpViewController::linkStaysInside);
  webView_ = web;
  webWall->factory()->internalAddBrick(web, [](LayoutConstraintMaker& make) {
    make.container()
        .pin(A::Left, A::Left, 1.0)
        .pin(A::Right, A::Right, 0)
        .pin(A::Top, A::Top, 0)
        .pin(A::Bottom, A::Bottom, 0);
  });
  stack->addFragment(webWall);

  // 4. The buttons follow the history after every load.
  connect(web, &HtmlView::loadFinished, this, [this] { webViewDidFinishLoad(); });
  web->loadFile(HelpManager::pageUrl(kWelcomePage).toLocalFile());
}

void HelpViewController::showPage(const QString& lastPathComponent) {
  build();
  if (!HelpManager::isPageName(lastPathComponent)) {
    platformLog(QStringLiteral("There is no help page \"%1\"").arg(lastPathComponent));
    webView_->showBlankPage(
        QStringLiteral("The help page \"%1\" is not installed.").arg(lastPathComponent));
    updateHistoryButtons();
    return;
  }
  const QUrl url = HelpManager::pageUrl(lastPathComponent);
  // Asking again for the page shown adds no step to the history.
  if (webView_->url() == url)
    return;
  webView_->loadFile(url.toLocalFile());
}

bool HelpViewController::linkStaysInside(const QUrl& url) {
  if (!url.isLocalFile())
    return false;
  const QString folder = QFileInfo(HelpManager::helpFolder()).canonicalFilePath();
  const QString linked = QFileInfo(url.toLocalFile()).canonicalPath();
  return !folder.isEmpty() && linked == folder;
}

void HelpViewController::showIndex() { HelpManager::showPage(kIndexPage, false); }

void HelpViewController::goBack() {
  if (webView_)
    webView_->back();
}

void HelpViewController::goForward() {
  if (webView_)
    webView_->forward();
}

void HelpViewController::openInBrowser() {
  if (!webView_)
    return;
  const QUrl url = webView_->url();
  if (!url.isValid() || url.isEmpty() || url.scheme() == QLatin1String("about"))
    return;
  UrlOpenerAPI::shared().open(url);
}

void HelpViewController::webViewDidFinishLoad() { updateHistoryButtons(); }

void HelpViewController::updateHistoryButtons() {
  if (!webView_)
    return;
  backButton_->setEnabled(webView_->canGoBack());
  forwardButton_->setEnabled(webView_->canGoForward());
}

} // namespace kr
