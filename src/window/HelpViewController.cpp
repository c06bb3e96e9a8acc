#include "window/HelpViewController.h"

#include "window/HelpManager.h"

#include "art/KorvaneStyleKit.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/skins/StandardImages.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/FragmentWall.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "platform/QnLog.h"
#include "platform/services/UrlOpenerAPI.h"

#include <QAbstractButton>
#include <QDir>
#include <QEvent>
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

// An icon drawn in the ink it is given.
using InkedIcon = std::function<QIcon(const QColor& ink)>;

// The glyph in the ink, and faint while its button is disabled.
QIcon inkedIcon(const QColor& ink, const std::function<QPixmap(const QColor&)>& draw) {
  QIcon icon;
  icon.addPixmap(draw(ink), QIcon::Normal);
  // Faded as a whole, so strokes that cross stay as faint as the rest.
  QPixmap faint = draw(ink);
  QPainter painter(&faint);
  painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
  painter.fillRect(QRectF(QPointF(0, 0), faint.deviceIndependentSize()), QColor(0, 0, 0, 77));
  painter.end();
  icon.addPixmap(faint, QIcon::Disabled);
  return icon;
}

// A 16-point glyph, for desktops whose icon theme lacks one.
QIcon drawnIcon(const QColor& ink, const std::function<void(QPainter&)>& paint) {
  return inkedIcon(ink, [&paint](const QColor& color) {
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(color);
    paint(painter);
    return pixmap;
  });
}

// A template image in the ink, so it shows on light and dark backgrounds alike.
QIcon templateIcon(const DrawnImage& image, const QColor& ink) {
  return inkedIcon(ink, [&image](const QColor& color) {
    QPixmap pixmap = StandardImages::icon(image).pixmap(QSize(16, 18), 2.0);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), color);
    painter.end();
    return pixmap;
  });
}

QIcon triangleIcon(bool pointsLeft, const QColor& ink) {
  const QIcon themed =
      QIcon::fromTheme(pointsLeft ? QStringLiteral("go-previous") : QStringLiteral("go-next"));
  if (!themed.isNull())
    return themed;
  return drawnIcon(ink, [pointsLeft](QPainter& p) {
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

QIcon followLinkIcon(const QColor& ink) {
  const QIcon themed = QIcon::fromTheme(QStringLiteral("document-open-remote"));
  if (!themed.isNull())
    return themed;
  return drawnIcon(ink, [](QPainter& p) {
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

// Keeps a button's icon in the ink of the band it sits on: drawn again when
// the button's palette changes (the window's skin, the desktop's light or dark
// appearance).
class IconInk final : public QObject {
public:
  IconInk(QAbstractButton* button, InkedIcon draw)
      : QObject(button), button_(button), draw_(std::move(draw)) {
    button->installEventFilter(this);
    apply();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == button_ && event->type() == QEvent::PaletteChange)
      apply();
    return false;
  }

private:
  void apply() { button_->setIcon(draw_(button_->palette().color(QPalette::WindowText))); }

  QAbstractButton* button_;
  InkedIcon draw_;
};

// A small, borderless icon button of the row, 20 points high.
PushButtonBrick* rowButton(BricksFactory& factory, InkedIcon icon, const QString& toolTip,
                           std::function<void()> action, const BricksFactory::Constraints& place) {
  PushButtonBrick* button = factory.borderlessButton(QString(), std::move(action), place);
  button->small(); // the small control size and its font
  new IconInk(button, std::move(icon));
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
      buttons,
      [](const QColor& ink) { return templateIcon(KorvaneStyleKit::imageOfHelpIndexIcon(), ink); },
      QStringLiteral("Help Index"), [this] { showIndex(); },
      [](LayoutConstraintMaker& make) {
        make.container().pin(A::Left, A::Left, 0).pin(A::Top, A::Top, 0);
      });
  backButton_ = rowButton(
      buttons, [](const QColor& ink) { return triangleIcon(true, ink); },
      QStringLiteral("Previous"), [this] { goBack(); },
      [](LayoutConstraintMaker& make) {
        make.previous().place(A::Left, A::Right).pin(A::CenterY, A::CenterY, 0);
      });
  forwardButton_ = rowButton(
      buttons, [](const QColor& ink) { return triangleIcon(false, ink); }, QStringLiteral("Next"),
      [this] { goForward(); },
      [](LayoutConstraintMaker& make) {
        make.previous().place(A::Left, A::Right).pin(A::CenterY, A::CenterY, 0);
      });
  openInBrowserButton_ = rowButton(
      buttons, [](const QColor& ink) { return followLinkIcon(ink); },
      QStringLiteral("Open in Browser..."), [this] { openInBrowser(); },
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
