#include "window/MainWindowController.h"

#include "window/HelpViewController.h"
#include "window/KeyViewLoop.h"
#include "window/MainWindow.h"
#include "window/NowAndLaterBoardManager.h"
#include "window/PadKeys.h"
#include "window/PadSection.h"
#include "window/PadViewController.h"
#include "window/PaintedWall.h"
#include "window/TitleBarButton.h"

#include "art/KorvaneStyleKit.h"
#include "kit/skins/PageCheckBoxStyle.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "kit/walls/Wall.h"
#include "platform/FreedMemory.h"
#include "platform/QnLog.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/layout/ConstraintLayout.h"
#include "platform/settings/UserDefaults.h"
#include "stats/LogBookTableViewController.h"
#include "stats/StatsViewController.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

namespace kr {

namespace {

const QString kTopLeftX = QStringLiteral("topLeftX");
const QString kTopLeftY = QStringLiteral("topLeftY");

// The menu button's text.
const QColor kLogoText(0xd8, 0xd8, 0xd8);

void drawFrame(QPainter& painter, const QRectF& bounds) {
  QPainterPath outline;
  outline.addRoundedRect(bounds, 5, 5);
  painter.setClipPath(outline);
  painter.fillRect(QRectF(bounds.x(), bounds.y(), bounds.width(), 71),
                   KorvaneStyleKit::brightFrame());
  painter.fillRect(QRectF(bounds.x(), bounds.y() + 71, bounds.width(), bounds.height() - 71),
                   KorvaneStyleKit::darkFrame());
  // The background half a point inside the frame, rounded alike.
  GraphicsContext context(&painter, bounds.height());
  GraphicsContext::Scope scope(context);
  const QRectF inner = QRectF(0, 0, bounds.width(), bounds.height()).adjusted(0.5, 0.5, -0.5, -0.5);
  context.clip(BezierPath::roundedRect(inner, 5, 5));
  KorvaneStyleKit::drawBackground(inner);
}

void drawLogo(QPainter& painter, const QRectF& bounds) {
  GraphicsContext context(&painter, bounds.height());
  GraphicsContext::Scope scope(context);
  KorvaneStyleKit::drawLogo(QRectF(0, 0, 187, 21), ResizingBehavior::fit);
}

} // namespace

MainWindowController::MainWindowController(MainWindow& window, UserDefaults& defaults)
    : window_(window), defaults_(defaults) {
  build();
}

void MainWindowController::build() {
  auto* windowLayout = new QVBoxLayout(&window_);
  windowLayout->setContentsMargins(0, 0, 0, 0);
  // The window's size follows its content.
  windowLayout->setSizeConstraint(QLayout::SetFixedSize);

  contentWall_ = new PaintedWall(drawFrame);
  contentWall_->setObjectName(QStringLiteral("contentWall"));
  windowLayout->addWidget(contentWall_);
  auto* stack = new QHBoxLayout(contentWall_);
  stack->setContentsMargins(1, 1, 1, 1);
  stack->setSpacing(0);

  leftFragmentWall_ = new QWidget;
  leftFragmentWall_->setObjectName(QStringLiteral("leftFragmentWall"));
  leftFragmentWall_->setFixedWidth(kLeftColumnWidth);
  // The left column and the pads beside it, all as high as the column.
  padSection_ = std::make_unique<PadSection>(leftFragmentWall_, defaults_,
                                             NowAndLaterBoardManager::sharedManager());
  stack->addWidget(padSection_->horizontalFragmentStackView());

  auto* column = new QVBoxLayout(leftFragmentWall_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  QWidget* band = buildTitleBand();
  column->addWidget(band);
  // The pad icons: 8 points in from the column's right, 8 below its top.
  QWidget* selector = padSection_->padSelectorOnMainWall();
  selector->setParent(band);
  selector->move(kLeftColumnWidth - kHorizontalInset - selector->width(), 8);
  selector->raise();
  selector->setVisible(!padSection_->isPadSectionVisible());
  column->addSpacing(6);

  infoWallContainer_ = new Wall;
  infoWallContainer_->setObjectName(QStringLiteral("infoWallContainer"));
  column->addWidget(infoWallContainer_);

  auto* inBetween = new PaintedWall([](QPainter& painter, const QRectF& bounds) {
    painter.fillRect(bounds, KorvaneStyleKit::n2());
  });
  inBetween->setObjectName(QStringLiteral("inBetweenWall"));
  inBetween->setMinimumHeight(0);
  column->addWidget(inBetween, 1);

  buttonWallContainer_ = new Wall;
  buttonWallContainer_->setObjectName(QStringLiteral("buttonWallContainer"));
  buttonWallContainer_->setFixedSize(400, 36);
  column->addWidget(buttonWallContainer_, 0, Qt::AlignRight);

  // The log book and the statistics page. Their views wait for the pad
  // walls; the statistics page's manager is the shared one from here on.
  logBookTableViewController_ = std::make_unique<LogBookTableViewController>();
  statsController_ = std::make_unique<StatsViewController>();
  padSection_->setLogBookView(logBookTableViewController_->view());
  padSection_->setStatisticsView(statsController_->view());
  // The help viewer (and with it the web engine) is made when its pad first
  // shows, however it is shown.
  QObject::connect(&defaults_, &UserDefaults::changed, &window_, [this](const QString& key) {
    if (key == QLatin1String("helpPadHidden") && !defaults_.boolValue(key))
      ensureHelpController();
  });
  if (!defaults_.boolValue(QStringLiteral("helpPadHidden")))
    ensureHelpController();
}

QWidget* MainWindowController::buildTitleBand() {
  auto* band = new QWidget;
  band->setObjectName(QStringLiteral("titleBand"));
  band->setFixedHeight(kTitleBandHeight);
  auto* row = new QHBoxLayout(band);
  row->setContentsMargins(7, 4, kHorizontalInset, 0);
  row->setSpacing(0);
  // The window controls at the top left, as the window system would put them.
  auto* controls = new QWidget;
  controls->setObjectName(QStringLiteral("windowControls"));
  auto* controlRow = new QHBoxLayout(controls);
  controlRow->setContentsMargins(0, 0, 0, 0);
  controlRow->setSpacing(6);
  auto* close = new TitleBarButton(TitleBarButton::Glyph::close);
  close->buttonPressFunction = [this] { window_.close(); };
  auto* miniaturize = new TitleBarButton(TitleBarButton::Glyph::miniaturize);
  miniaturize->buttonPressFunction = [this] { window_.showMinimized(); };
  closeButton_ = close;
  miniaturizeButton_ = miniaturize;
  controlRow->addWidget(close);
  controlRow->addWidget(miniaturize);
  controlRow->addSpacing(6);
  mainMenuButton_ = new QToolButton;
  mainMenuButton_->setObjectName(QStringLiteral("mainMenuButton"));
  mainMenuButton_->setText(QStringLiteral("\u2630"));
  mainMenuButton_->setToolTip(QStringLiteral("Menu (F10)"));
  mainMenuButton_->setAutoRaise(true);
  mainMenuButton_->setPopupMode(QToolButton::InstantPopup);
  mainMenuButton_->setFocusPolicy(Qt::NoFocus);
  mainMenuButton_->setStyleSheet(
      QStringLiteral("QToolButton { color: %1; border: none; font-size: 15px; }"
                     "QToolButton::menu-indicator { image: none; }")
          .arg(kLogoText.name()));
  controlRow->addWidget(mainMenuButton_, 0, Qt::AlignVCenter);
  // The button takes no focus in the title band; F10 opens its menu from
  // anywhere in the window, as on the desktop's other programs.
  auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), &window_);
  QObject::connect(menuKey, &QShortcut::activated, mainMenuButton_, [this] {
    QMenu* menu = mainMenuButton_->menu();
    if (!menu || !mainMenuButton_->isEnabled())
      return;
    // Opened from the keyboard, the menu shows its first item chosen, so that
    // Right opens it and Return takes it at once (as on the desktop's other
    // programs).
    QTimer::singleShot(0, menu, [menu] {
      // As the Down key chooses it: its submenu stays closed.
      if (menu->isVisible() && !menu->activeAction()) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(menu, &down);
      }
    });
    mainMenuButton_->showMenu();
  });
  row->addWidget(controls, 0, Qt::AlignLeft | Qt::AlignVCenter);
  auto* logo = new PaintedWall(drawLogo);
  logo->setObjectName(QStringLiteral("custom title bar"));
  // The logo wall reaches from the row's top margin down to the band's
  // bottom, so the logo fills the band's lower 21 points.
  logo->setFixedSize(187, kTitleBandHeight - row->contentsMargins().top());
  row->addStretch(1);
  row->addWidget(logo);
  row->addStretch(1);
  // Balances the controls, so the logo sits in the column's centre.
  row->addSpacing(7 + controls->sizeHint().width() - kHorizontalInset);
  return band;
}

QStringList MainWindowController::padStorageKeyPaths() { return PadSection::padStorageKeyPaths(); }

bool MainWindowController::isPadSectionVisible() const {
  return padSection_->isPadSectionVisible();
}

void MainWindowController::hideAllPadsExcept(const QString& key) {
  padSection_->hideAllPadsExcept(key);
}

void MainWindowController::showPad(const QString& key) { padSection_->showPad(key); }

void MainWindowController::focusPad(const QString& key) {
  QWidget* target = nullptr;
  if (key == QLatin1String("logBookPadHidden"))
    target = logBookTableViewController_->tableView();
  else if (key == QLatin1String("statsPadHidden"))
    target = statsController_->statisticPopUp();
  else if (key == QLatin1String("helpPadHidden"))
    target = ensureHelpController().webView();
  // A pad still on its way to the screen takes it as it shows.
  if (target)
    target->setFocus(Qt::OtherFocusReason);
}

void MainWindowController::showCurrentWeekStatisticsPad() {
  padSection_->showCurrentWeekStatisticsPad();
}

PadViewController* MainWindowController::nowPadController() const {
  return padSection_->nowPadController();
}

PadViewController* MainWindowController::laterPadController() const {
  return padSection_->laterPadController();
}

PadViewController* MainWindowController::scratchPadController() const {
  return padSection_->scratchPadController();
}

void MainWindowController::setMainMenu(QMenu* menu) { mainMenuButton_->setMenu(menu); }

MainWindowController::~MainWindowController() {
  // The viewer's view lives in the help pad's wall.
  helpController_.reset();
}

HelpViewController& MainWindowController::ensureHelpController() {
  if (!helpController_) {
    helpController_ = std::make_unique<HelpViewController>();
    helpController_->build();
    padSection_->setHelpView(helpController_->view());
  }
  return *helpController_;
}

HelpViewController& MainWindowController::showHelpPad() {
  PadKeys::showPad(defaults_, QStringLiteral("helpPadHidden"));
  return ensureHelpController();
}

namespace {

// Whether `widget` is `ancestor` or lies under it, windows of their own (a
// menu opened from a button) included.
bool liesUnder(const QWidget* widget, const QWidget* ancestor) {
  for (; widget; widget = widget->parentWidget()) {
    if (widget == ancestor)
      return true;
  }
  return false;
}

// Closes the menus of `page` still open.
void closeMenusOf(const QWidget* page) {
  // A menu of the page still open when the page changes under it (a slice
  // that ended meanwhile) goes with it: its choices were the old page's.
  // Each close takes the innermost menu; a menu that stays open ends it.
  for (int open = 0; open < 16; ++open) {
    QWidget* popup = QApplication::activePopupWidget();
    if (!popup || !liesUnder(popup, page) || !popup->close())
      return;
  }
}

} // namespace

void MainWindowController::detachPage() {
  ConstraintLayout::of(infoWallContainer_)->removeConstraints(infoWallConstraints_);
  ConstraintLayout::of(buttonWallContainer_)->removeConstraints(buttonWallConstraints_);
  infoWallConstraints_.clear();
  buttonWallConstraints_.clear();
  // No longer the shown page before they go: hiding the focused control
  // moves the focus on, which orders Tab through the shown page.
  const QPointer<QWidget> walls[] = {std::exchange(shownButtonWall_, nullptr),
                                     std::exchange(shownInfoWall_, nullptr)};
  for (QWidget* wall : walls) {
    if (wall) {
      closeMenusOf(wall);
      wall->hide();
      wall->setParent(nullptr);
    }
  }
}

void MainWindowController::showPage(QWidget* infoWall, QWidget* buttonWall,
                                    QWidget* firstResponder) {
  Q_ASSERT(infoWall && buttonWall);
  detachPage();

  // The button wall keeps its size; its right edge sits one inset in from the
  // container's, vertically centred. Its buttons start at the right, so what
  // overhangs the container on the left is empty.
  const QSize size = buttonWall->size();
  ConstraintLayout::addSubview(buttonWallContainer_, buttonWall);
  LayoutConstraintMaker button(buttonWall);
  button.width(size.width()).height(size.height());
  button.container()
      .pin(LayoutAttribute::Right, LayoutAttribute::Right, -kHorizontalInset)
      .pin(LayoutAttribute::CenterY, LayoutAttribute::CenterY, 0);
  buttonWallConstraints_ = button.constraints();
  ConstraintLayout::of(buttonWallContainer_)->addConstraints(buttonWallConstraints_);
  buttonWall->show();

  ConstraintLayout::addSubview(infoWallContainer_, infoWall);
  LayoutConstraintMaker info(infoWall);
  info.fillContainer();
  infoWallConstraints_ = info.constraints();
  ConstraintLayout::of(infoWallContainer_)->addConstraints(infoWallConstraints_);
  infoWall->show();
  shownButtonWall_ = buttonWall;
  shownInfoWall_ = infoWall;
  PageCheckBoxStyle::applyTo(infoWall);
  PageCheckBoxStyle::applyTo(buttonWall);
  relayout();
  // Tab walks the new page's controls in the page's order.
  recalculateKeyViewLoop();

  if (!initialPositionAlreadyGiven_) {
    window_.adjustSize();
    const double x = defaults_.doubleValue(kTopLeftX);
    const double y = defaults_.doubleValue(kTopLeftY);
    qn_log(QStringLiteral("MainWindow view will appear: %1,%2").arg(x).arg(y));
    const QPointF corner = x == -1 || y == -1 ? defaultPosition() : QPointF(x, y);
    // The whole window on a screen, even where the remembered corner lies on
    // a screen that is gone or the window is taller than the space below it.
    const QPointF inside = WindowPlacement::keepInsideVisibleArea(
        QRectF(corner, window_.frameGeometry().size()), screens(), mainScreenIndex());
    moveWindowTo(inside.toPoint());
    initialPositionAlreadyGiven_ = true;
  }
  if (firstResponder)
    firstResponder->setFocus(Qt::OtherFocusReason);
  // What the page before needed to draw and lay out goes back to the system.
  returnFreedMemoryToSystemSoon();
}

void MainWindowController::recalculateKeyViewLoop() {
  if (shownInfoWall_ && shownButtonWall_)
    KeyViewLoop::recalculate(shownInfoWall_, shownButtonWall_);
}

void MainWindowController::relayout() {
  // From the column out to the window, so that each layout sees the sizes
  // of the one inside it at once rather than after the event loop.
  QWidget* const chain[] = {leftFragmentWall_, padSection_->horizontalFragmentStackView(),
                            contentWall_, &window_};
  for (QWidget* widget : chain) {
    if (QLayout* layout = widget->layout()) {
      layout->invalidate();
      layout->activate();
    }
  }
  ConstraintLayout::layoutSubtreeIfNeeded(&window_);
}

void MainWindowController::windowDidMove() { remember(window_.frameGeometry().topLeft()); }

void MainWindowController::remember(const QPoint& corner) {
  const bool stored = defaults_.doubleValue(kTopLeftX) == corner.x() &&
                      defaults_.doubleValue(kTopLeftY) == corner.y();
  if (placedCorner_ == corner && stored)
    return;
  placedCorner_ = corner;
  qn_log(QStringLiteral("remembering top left point as %1,%2").arg(corner.x()).arg(corner.y()));
  defaults_.setValue(kTopLeftX, static_cast<double>(corner.x()));
  defaults_.setValue(kTopLeftY, static_cast<double>(corner.y()));
  defaults_.synchronize();
}

void MainWindowController::moveWindowTo(const QPoint& corner) {
  remember(corner);
  if (corner != window_.frameGeometry().topLeft())
    window_.move(corner);
}

void MainWindowController::windowDidResize() { ensureThatWindowIsCompletelyOnScreen(); }

void MainWindowController::windowWillShow() {
  if (placedCorner_ && *placedCorner_ != window_.frameGeometry().topLeft())
    window_.move(*placedCorner_);
}

void MainWindowController::windowWasPlaced() {
  if (placedCorner_ && *placedCorner_ != window_.frameGeometry().topLeft())
    placeInsideScreen(QRectF(QPointF(*placedCorner_), window_.frameGeometry().size()));
}

void MainWindowController::ensureThatWindowIsCompletelyOnScreen() {
  if (!window_.isVisible())
    return;
  QRectF frame = window_.frameGeometry();
  // Until the window system has placed the window shown, where it is meant to
  // be counts, not where the window system has it meanwhile.
  if (placedCorner_ && window_.isAwaitingPlacement())
    frame.moveTopLeft(QPointF(*placedCorner_));
  placeInsideScreen(frame);
}

void MainWindowController::placeInsideScreen(const QRectF& frame) {
  const QPointF corner =
      WindowPlacement::keepInsideVisibleArea(frame, screens(), mainScreenIndex());
  if (corner != QPointF(window_.frameGeometry().topLeft()))
    moveWindowTo(corner.toPoint());
}

void MainWindowController::setZoomedHeight(int height) {
  // The page's column takes the height; the space between its info and its
  // buttons grows.
  leftFragmentWall_->setMinimumHeight(height > 0 ? height - 2 : 0);
  // The window's layout keeps the content wall's size until told it changed.
  contentWall_->updateGeometry();
  relayout();
}

QPointF MainWindowController::defaultPosition() const {
  const auto all = screens();
  if (all.empty())
    return {0, 0};
  const int main = mainScreenIndex();
  return WindowPlacement::defaultPosition(window_.frameGeometry().size(),
                                          all[static_cast<std::size_t>(main)].visibleFrame);
}

void MainWindowController::repositionMainWindowAccordingToSettingsWithHint(
    const QPointF& suggestedLocation) {
  const QPointF stored(defaults_.floatValue(kTopLeftX), defaults_.floatValue(kTopLeftY));
  const QPointF corner = WindowPlacement::computeTopLeftPoint(
      suggestedLocation, stored, window_.frameGeometry().size(), screens(), mainScreenIndex());
  moveWindowTo(corner.toPoint());
}

std::vector<WindowPlacement::Screen> MainWindowController::screens() {
  std::vector<WindowPlacement::Screen> all;
  for (QScreen* screen : QGuiApplication::screens())
    all.push_back({QRectF(screen->geometry()), QRectF(screen->availableGeometry())});
  return all;
}

int MainWindowController::mainScreenIndex() {
  // The screen of the active window, else the first.
  const QList<QScreen*> all = QGuiApplication::screens();
  if (QWindow* focus = QGuiApplication::focusWindow()) {
    const qsizetype index = all.indexOf(focus->screen());
    if (index >= 0)
      return static_cast<int>(index);
  }
  return 0;
}

} // namespace kr
