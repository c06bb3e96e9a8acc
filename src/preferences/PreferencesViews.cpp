#include "preferences/PreferencesViews.h"

#include <QVBoxLayout>

#include <QPushButton>

#include <QListWidget>

#include <QLabel>

#include <QHBoxLayout>

#include "art/BezierPathUtility.h"
#include "platform/MacOSXVersion.h"

#include <QApplication>
#include <QPainter>

namespace kr {

namespace {

QColor grey(double white) { return QColor::fromRgbF(float(white), float(white), float(white)); }

// Frames the rectangle's outline inside its pixels.
void frame(QPainter& painter, const QRect& rect, const QColor& color) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  const int w = rect.width();
  const int h = rect.height();
  painter.drawRect(QRect(rect.left(), rect.top(), w, 1));
  painter.drawRect(QRect(rect.left(), rect.bottom(), w, 1));
  painter.drawRect(QRect(rect.left(), rect.top(), 1, h));
  painter.drawRect(QRect(rect.right(), rect.top(), 1, h));
}

} // namespace

void paintPreferencesPanel(QPainter& painter, const QRect& bounds) {
  if (MacOSXVersion::isInDarkMode())
    return;
  painter.fillRect(bounds, grey(0.88));
  frame(painter, bounds, grey(0.75));
  // The strip along the bottom edge.
  frame(painter, QRect(bounds.left(), bounds.bottom(), bounds.width(), 1), grey(0.56));
}

PreferencesTablessTabView::PreferencesTablessTabView(QWidget* parent) : QStackedWidget(parent) {}

void PreferencesTablessTabView::paintEvent(QPaintEvent* event) {
  if (MacOSXVersion::isInDarkMode()) {
    QStackedWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  paintPreferencesPanel(painter, rect());
}

PreferencesBorderedScrollView::PreferencesBorderedScrollView(QWidget* parent)
    : QScrollArea(parent) {
  // A frame round the controls it holds, which take the focus themselves.
  setFocusPolicy(Qt::NoFocus);
}

void PreferencesBorderedScrollView::paintEvent(QPaintEvent* event) {
  if (MacOSXVersion::isInDarkMode()) {
    QScrollArea::paintEvent(event);
    return;
  }
  QPainter painter(viewport());
  paintPreferencesPanel(painter, viewport()->rect());
}

QRect DividerCell::dividerRect(const QRect& cell) {
  return QRect(cell.left() + 4, cell.top() + cell.height() / 2, cell.width() - 8, 1);
}

void DividerCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
  painter->save();
  painter->fillRect(dividerRect(option.rect), option.palette.color(QPalette::Mid));
  // The group's name sits on the line, on the table's own background.
  const QString text = index.data(Qt::DisplayRole).toString();
  if (!text.isEmpty()) {
    QFont font = option.font;
    if (const QVariant own = index.data(Qt::FontRole); own.isValid())
      font = own.value<QFont>();
    painter->setFont(font);
    const int width = QFontMetrics(font).horizontalAdvance(text);
    const QRect behind(option.rect.left() + 8, option.rect.top(), width + 8, option.rect.height());
    painter->fillRect(behind, option.palette.color(QPalette::Base));
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(behind.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  }
  painter->restore();
}

PreferencesPanePullDownButton::PreferencesPanePullDownButton(QWidget* parent) : QComboBox(parent) {
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

QSize PreferencesPanePullDownButton::sizeHint() const {
  const QSize natural = QComboBox::sizeHint();
  return QSize(natural.width() + 8, qMax(natural.height(), 22));
}

void PreferencesPanePullDownButton::paintEvent(QPaintEvent* event) {
  Q_UNUSED(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const bool dark = MacOSXVersion::isInDarkMode();
  const QRect bounds = rect();
  if (!dark)
    painter.fillRect(bounds, Qt::white);
  QFont font = QApplication::font();
  font.setPixelSize(13);
  painter.setFont(font);
  painter.setPen(dark ? palette().color(QPalette::ButtonText) : QColor(Qt::black));
  if (!isEnabled())
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  const QRect titleRect(bounds.left() + 5, bounds.top() + 3, bounds.width() - 25,
                        bounds.height() - 6);
  painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, currentText());
  frame(painter, bounds, dark ? palette().color(QPalette::Mid) : grey(0.75));
  const QRectF arrowRect(bounds.left() + bounds.width() - 15,
                         bounds.top() + bounds.height() / 2 - 5, 8, 10);
  const QColor arrow =
      dark ? palette().color(QPalette::ButtonText) : QColor::fromRgbF(0.42f, 0.42f, 0.42f);
  painter.fillPath(BezierPathUtility::bezierPathForRightFacingArrow(arrowRect).painterPath(),
                   arrow);
  if (hasFocus()) {
    QPen focus(palette().color(QPalette::Highlight));
    focus.setWidth(2);
    painter.setPen(focus);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bounds.adjusted(1, 1, -1, -1));
  }
}

void layOutListPane(QWidget& pane, const QString& intro, QListWidget& list, QPushButton& add,
                    QPushButton& remove, QPushButton* addMore) {
  auto* text = new QLabel(intro);
  text->setWordWrap(true);
  list.setSelectionMode(QAbstractItemView::ExtendedSelection);
  list.setFrameShape(QFrame::NoFrame);
  auto* frame = new PreferencesBorderedScrollView;
  frame->setWidgetResizable(true);
  frame->setWidget(&list);
  frame->setFrameShape(QFrame::StyledPanel);

  remove.setEnabled(false);
  QObject::connect(&list, &QListWidget::itemSelectionChanged, &remove,
                   [&list, &remove] { remove.setEnabled(!list.selectedItems().isEmpty()); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(&add);
  if (addMore)
    buttons->addWidget(addMore);
  buttons->addWidget(&remove);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(&pane);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->addWidget(text);
  layout->addWidget(frame, 1);
  layout->addLayout(buttons);
}

} // namespace kr
