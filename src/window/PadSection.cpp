#include "window/PadSection.h"

#include "window/NowAndLaterBoardManager.h"
#include "window/PadKeys.h"
#include "window/PadViewController.h"
#include "window/PaintedWall.h"

#include "art/KorvaneStyleKit.h"
#include "kit/KVOResponder.h"
#include "kit/walls/FragmentStackView.h"
#include "kit/walls/HideableFragmentWall.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/settings/UserDefaults.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kr {

namespace {

using IconDrawing = void (*)(const QRectF&, ResizingBehavior);
const IconDrawing kIconDrawings[PadSection::kPadCount] = {
    &KorvaneStyleKit::drawNowPadIcon,     &KorvaneStyleKit::drawLaterPadIcon,
    &KorvaneStyleKit::drawScratchPadIcon, &KorvaneStyleKit::drawLogBookIcon,
    &KorvaneStyleKit::drawStatsIcon,      &KorvaneStyleKit::drawHelpIcon};

const char* const kBackgroundKeys[3] = {"nowPadBackgroundColor", "laterPadBackgroundColor",
                                        "scratchPadBackgroundColor"};

void drawIcon(int pad, QPainter& painter, const QRectF& frame) {
  GraphicsContext context(&painter, frame.height());
  GraphicsContext::Scope scope(context);
  kIconDrawings[pad](frame, ResizingBehavior::fit);
}

// A pad's wall: its content fills it, and the button row lies above the
// content in the top band, where it stays clickable.
class PadFragmentWall : public HideableFragmentWall {
public:
  PadFragmentWall(const QString& key) : HideableFragmentWall(key, true) {
    setMinimumWidth(PadSection::kMinimumPadWidth);
  }
  QWidget* embeddedWall = nullptr;
  QWidget* content = nullptr;
  int contentTop = 0;

  QSize sizeHint() const override { return {PadSection::kMinimumPadWidth, 200}; }
  QSize minimumSizeHint() const override { return {PadSection::kMinimumPadWidth, 120}; }

protected:
  void resizeEvent(QResizeEvent* event) override {
    HideableFragmentWall::resizeEvent(event);
    if (content)
      content->setGeometry(0, contentTop, width(), height() - contentTop);
    if (embeddedWall) {
      embeddedWall->setGeometry(2, 4, embeddedWall->sizeHint().width(),
                                PadSection::kButtonRowHeight);
      embeddedWall->raise();
    }
  }
};

} // namespace

PadSection::PadSection(QWidget* leftColumn, UserDefaults& defaults,
                       NowAndLaterBoardManager& manager)
    : defaults_(defaults), manager_(manager) {
  stack_ = new FragmentStackView(Qt::Horizontal);
  stack_->setObjectName(QStringLiteral("horizontalFragmentStackView"));
  stack_->setSpacing(0);
  stack_->setEdgeInsets(QMargins());
  // No alignment: every view is as high as the row, so all pads match the
  // left column.
  stack_->addArrangedSubview(leftColumn);
  stack_->setVisibilityPriority(leftColumn, FragmentStackView::visibilityPriorityMustHold);

  const QStringList& keys = padStorageKeyPaths();
  for (int i = 0; i < kPadCount; ++i)
    walls_[size_t(i)] = createBlankPadFragmentWall(keys[i], i);

  BackingStoreDescriptor* stores[3] = {&manager_.nowStoreDesc(), &manager_.laterStoreDesc(),
                                       &manager_.scratchStoreDesc()};
  for (int i = 0; i < 3; ++i) {
    auto controller = std::make_unique<PadViewController>(true);
    controller->backgroundColorStorageKey = QString::fromLatin1(kBackgroundKeys[i]);
    controller->backingStoreDescriptor = stores[i];
    controller->build();
    auto* wall = static_cast<PadFragmentWall*>(walls_[size_t(i)]);
    controller->view()->setParent(wall);
    wall->content = controller->view();
    pads_[size_t(i)] = std::move(controller);
  }
  manager_.setPadControllers(pads_[0].get(), pads_[1].get(), pads_[2].get());

  slots_[0] = makeSlot(3, QStringLiteral("The log book is not part of this version yet."));
  slots_[1] = makeSlot(4, QStringLiteral("The statistics are not part of this version yet."));
  slots_[2] = makeSlot(5, QStringLiteral("The help pages are not part of this version yet."));
  static_cast<PadFragmentWall*>(walls_[3])->contentTop = kLogBookTop;

  for (HideableFragmentWall* wall : walls_)
    stack_->addFragment(wall);

  padSelector_ = createPadSelector();
  padSelector_->setObjectName(QStringLiteral("padSelectorOnMainWall"));
  for (const QString& key : keys) {
    kvoResponders_.push_back(std::make_unique<KVOResponder>(
        key, &defaults_, [this](UserDefaults*, const QString&) { updatePadSelectorVisibility(); }));
  }
  updatePadSelectorVisibility();
}

PadSection::~PadSection() {
  manager_.setPadControllers(nullptr, nullptr, nullptr);
  kvoResponders_.clear();
}

const QStringList& PadSection::padStorageKeyPaths() { return PadKeys::padStorageKeyPaths(); }

bool PadSection::isPadSectionVisible() const { return PadKeys::isPadSectionVisible(defaults_); }

void PadSection::hideAllPadsExcept(const QString& key) {
  PadKeys::hideAllPadsExcept(defaults_, key);
}

void PadSection::showPad(const QString& key) { PadKeys::showPad(defaults_, key); }

void PadSection::showCurrentWeekStatisticsPad() {
  showPad(QStringLiteral("statsPadHidden"));
  defaults_.setValue(QStringLiteral("currentlyDisplayedStatistic"), 0);
}

void PadSection::toggle(int index) { PadKeys::togglePad(defaults_, padStorageKeyPaths()[index]); }

void PadSection::updatePadSelectorVisibility() {
  // Until the window holds it, showing it would open a window of its own.
  if (padSelector_ && padSelector_->parentWidget())
    padSelector_->setVisible(!isPadSectionVisible());
}

HideableFragmentWall* PadSection::createBlankPadFragmentWall(const QString& storageKey,
                                                             int selectedIndex) {
  auto* wall = new PadFragmentWall(storageKey);
  wall->setObjectName(storageKey.chopped(6) + QStringLiteral("FragmentWall"));
  auto* embedded = createPadSelectorForPadWall(selectedIndex);
  embedded->setParent(wall);
  embedded->setObjectName(QStringLiteral("embeddedWall"));
  wall->embeddedWall = embedded;
  return wall;
}

QWidget* PadSection::makeSlot(int pad, const QString& notice) {
  auto* wall = static_cast<PadFragmentWall*>(walls_[size_t(pad)]);
  auto* slot = new QWidget(wall);
  slot->setObjectName(padStorageKeyPaths()[pad].chopped(6) + QStringLiteral("Content"));
  auto* layout = new QVBoxLayout(slot);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(notice);
  label->setObjectName(QStringLiteral("notYetNotice"));
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  label->setStyleSheet(QStringLiteral("QLabel { color: #d8d8d8; }"));
  layout->addWidget(label);
  wall->content = slot;
  return slot;
}

void PadSection::setSlotView(int slot, QWidget* view) {
  QWidget* container = slots_[size_t(slot)];
  if (auto* notice =
          container->findChild<QLabel*>(QStringLiteral("notYetNotice"), Qt::FindDirectChildrenOnly))
    delete notice;
  container->layout()->addWidget(view);
  // Shown now, not on the next turn of the event loop, so whoever shows the
  // pad right after finds its content in place.
  view->show();
}

void PadSection::setLogBookView(QWidget* view) { setSlotView(0, view); }
void PadSection::setStatisticsView(QWidget* view) { setSlotView(1, view); }
void PadSection::setHelpView(QWidget* view) { setSlotView(2, view); }

QWidget* PadSection::createPadSelector() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(kIconSpacing);
  const QStringList& titles = PadKeys::padTitles();
  for (int i = 0; i < kPadCount; ++i) {
    auto* cell = new PaintedWall(
        [i](QPainter& painter, const QRectF& bounds) { drawIcon(i, painter, bounds); });
    cell->setFixedSize(kIconSize, kIconSize);
    auto* button = new QPushButton(cell);
    button->setObjectName(titles[i]);
    button->setToolTip(titles[i]);
    button->setAccessibleName(titles[i]);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    button->setGeometry(0, 0, kIconSize, kIconSize);
    QObject::connect(button, &QPushButton::clicked, button, [this, i] { toggle(i); });
    layout->addWidget(cell);
  }
  row->setFixedSize(layout->sizeHint());
  return row;
}

QWidget* PadSection::createPadSelectorForPadWall(int selectedIndex) {
  if (placeholderIcon_.isNull()) {
    placeholderIcon_ =
        QIcon(QPixmap::fromImage(KorvaneStyleKit::imageOfEmptyPlaceholderIcon().toImage(2.0)));
  }
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  const QStringList& titles = PadKeys::padTitles();
  for (int i = 0; i < kPadCount; ++i) {
    const bool selected = i == selectedIndex;
    // The pad's image drawn behind the button at (4, 4, 18, 18).
    auto* buttonWall = new PaintedWall([i](QPainter& painter, const QRectF& bounds) {
      Q_UNUSED(bounds);
      painter.save();
      painter.translate(4, 4);
      drawIcon(i, painter, QRectF(0, 0, kIconSize, kIconSize));
      painter.restore();
    });
    buttonWall->setFixedHeight(kButtonRowHeight);
    auto* button = new QToolButton(buttonWall);
    button->setObjectName(titles[i]);
    button->setAccessibleName(titles[i]);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    // The placeholder keeps the image's room free; the wall draws the image.
    button->setIcon(placeholderIcon_);
    button->setIconSize(QSize(20, 18));
    button->setStyleSheet(QStringLiteral(
        "QToolButton { color: #e0e0e0; border: none; background: transparent; padding: 0; }"));
    if (selected) {
      button->setText(titles[i]);
      button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    } else {
      button->setToolTip(titles[i]);
      button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    const QSize hint = button->sizeHint();
    const int left = selected ? 4 : 0;
    const int width = std::max(hint.width(), 26) + (selected ? 4 : 0);
    buttonWall->setFixedWidth(width + left);
    button->setGeometry(left, 0, width, kButtonRowHeight);
    QObject::connect(button, &QToolButton::clicked, button, [this, i] { toggle(i); });
    layout->addWidget(buttonWall);
  }
  row->setFixedSize(layout->sizeHint().width(), kButtonRowHeight);
  return row;
}

} // namespace kr
