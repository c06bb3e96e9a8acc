#include "shortcuts/RecordView.h"

#include "shortcuts/KeyCodeTable.h"
#include "shortcuts/KeyTransformer.h"
#include "shortcuts/RecordViewClearButton.h"
#include "shortcuts/RecordViewDelegate.h"

#include "engine/Clock.h"
#include "platform/drawing/ControlEdge.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kr {

const QStringList RecordView::kModifierNames = {QStringLiteral("Ctrl"), QStringLiteral("Alt"),
                                                QStringLiteral("Super"), QStringLiteral("Shift")};
const int RecordView::kModifierValues[4] = {
    KeyTransformer::kCarbonCommand, KeyTransformer::kCarbonOption, KeyTransformer::kCarbonControl,
    KeyTransformer::kCarbonShift};

namespace {

struct Metrics {
  qreal glyph;  // H / 1.7
  qreal margin; // (H - glyph) / 2.6
  qreal clear;  // glyph / 1.3
  QFont font;
};

Metrics metricsFor(const QWidget& view) {
  const qreal h = view.height();
  Metrics m;
  m.glyph = h / 1.7;
  m.margin = (h - m.glyph) / 2.6;
  m.clear = m.glyph / 1.3;
  m.font = view.font();
  m.font.setPixelSize(qMax(1, static_cast<int>(std::floor(m.glyph))));
  return m;
}

} // namespace

RecordView::RecordView(QWidget* parent)
    : QWidget(parent), tintColor_(palette().color(QPalette::Highlight)),
      clearButton_(new RecordViewClearButton(this)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_MacShowFocusRect);
  connect(clearButton_, &QAbstractButton::clicked, this, &RecordView::clearAndEndRecording);
  placeClearButton();
}

RecordView::~RecordView() = default;

QSize RecordView::sizeHint() const { return {240, 26}; }

QColor RecordView::backgroundColor() const {
  return backgroundColor_.value_or(palette().color(QPalette::Base));
}

QColor RecordView::borderColor() const {
  if (borderColor_)
    return *borderColor_;
  // The field sits on the window: its edge is drawn against the window's colour.
  return ControlEdge::on(palette().color(QPalette::Window), palette().color(QPalette::WindowText));
}

void RecordView::setBackgroundColor(const QColor& color) {
  backgroundColor_ = color;
  update();
}

void RecordView::setTintColor(const QColor& color) {
  tintColor_ = color;
  update();
}

void RecordView::setBorderColor(const QColor& color) {
  borderColor_ = color;
  update();
}

void RecordView::setBorderWidth(qreal width) {
  borderWidth_ = width;
  update();
}

void RecordView::setCornerRadius(qreal radius) {
  cornerRadius_ = radius;
  update();
}

void RecordView::setShowsClearButton(bool shows) {
  showsClearButton_ = shows;
  clearButton_->setVisible(shows);
  update();
}

void RecordView::setKeyCombo(const std::optional<SwiftKeyCombo>& combo) {
  keyCombo_ = combo;
  update();
}

bool RecordView::beginRecording() {
  if (!isEnabled())
    return false;
  if (recording_)
    return true;
  update();
  if (delegate_ && !delegate_->shouldBeginRecording(*this)) {
    QApplication::beep();
    return false;
  }
  recording_ = true;
  detector_.reset();
  setFocus(Qt::OtherFocusReason);
  Q_EMIT recordingChanged(true);
  return true;
}

void RecordView::endRecording() {
  if (!recording_)
    return;
  inputModifiers_ = 0;
  detector_.reset();
  recording_ = false;
  Q_EMIT recordingChanged(false);
  update();
  if (delegate_)
    delegate_->didEndRecording(*this);
}

void RecordView::clear() {
  keyCombo_.reset();
  inputModifiers_ = 0;
  update();
  if (didChange)
    didChange(std::nullopt);
  if (delegate_)
    delegate_->didClearCombo(*this);
}

void RecordView::clearAndEndRecording() {
  clear();
  endRecording();
}

void RecordView::record(const SwiftKeyCombo& combo) {
  if (delegate_ && !delegate_->canRecord(combo, *this))
    return;
  keyCombo_ = combo;
  update();
  if (didChange)
    didChange(combo);
  if (delegate_)
    delegate_->didChangeCombo(combo, *this);
  endRecording();
}

bool RecordView::event(QEvent* event) {
  if (recording_ && event->type() == QEvent::ShortcutOverride) {
    // Every key goes to the recorder first, before any shortcut.
    event->accept();
    return true;
  }
  if (recording_ && event->type() == QEvent::KeyPress) {
    // Tab and Backtab would move the focus away.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

void RecordView::mousePressEvent(QMouseEvent* event) {
  if (isEnabled() && rect().contains(event->position().toPoint()) && !recording_) {
    beginRecording();
    return;
  }
  QWidget::mousePressEvent(event);
}

std::optional<int> RecordView::keyCodeOf(const QKeyEvent& event) const {
  // On X11 the key's position; elsewhere Qt's key on a US layout.
  if (event.nativeScanCode() != 0) {
    if (const std::optional<int> code = KeyCodeTable::keyCodeFromXKeycode(event.nativeScanCode()))
      return code;
  }
  return KeyCodeTable::keyCodeFromQtKey(event.key(),
                                        event.modifiers().testFlag(Qt::KeypadModifier));
}

void RecordView::modifiersChanged(int held) {
  inputModifiers_ = held;
  update();
  const int tapped = detector_.modifiersChanged(Clock::now(), held);
  if (!tapped)
    return;
  if (const std::optional<SwiftKeyCombo> combo = SwiftKeyCombo::doubledCarbonModifiers(tapped))
    record(*combo);
}

void RecordView::keyPressEvent(QKeyEvent* event) {
  if (!recording_) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && isEnabled()) {
      beginRecording();
      return;
    }
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  if (const int modifier = KeyCodeTable::carbonModifierOfQtKey(event->key())) {
    if (!event->isAutoRepeat())
      modifiersChanged(inputModifiers_ | modifier);
    return;
  }
  detector_.otherKeyDown();
  const int modifiers = KeyCodeTable::carbonFromQtModifiers(event->modifiers());
  if (event->key() == Qt::Key_Escape && modifiers == 0) {
    endRecording();
    return;
  }
  const std::optional<int> keyCode = keyCodeOf(*event);
  if (!keyCode)
    return;
  const bool functionKey = KeyTransformer::containsFunctionKey(*keyCode);
  // A key needs Ctrl, Alt or Super; Shift alone or no modifier records
  // nothing, F1 to F20 apart.
  const bool standsAlone = modifiers != 0 && modifiers != KeyTransformer::kCarbonShift;
  if (!standsAlone && !functionKey)
    return;
  if (const std::optional<SwiftKeyCombo> combo =
          SwiftKeyCombo::withCarbonModifiers(*keyCode, modifiers))
    record(*combo);
}

void RecordView::keyReleaseEvent(QKeyEvent* event) {
  if (!recording_) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  event->accept();
  if (const int modifier = KeyCodeTable::carbonModifierOfQtKey(event->key())) {
    if (!event->isAutoRepeat())
      modifiersChanged(inputModifiers_ & ~modifier);
  }
}

void RecordView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  Q_EMIT focusChanged(true);
}

void RecordView::focusOutEvent(QFocusEvent* event) {
  endRecording();
  QWidget::focusOutEvent(event);
  Q_EMIT focusChanged(false);
}

void RecordView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled())
      endRecording();
    update();
  }
  QWidget::changeEvent(event);
}

void RecordView::resizeEvent(QResizeEvent* event) {
  placeClearButton();
  QWidget::resizeEvent(event);
}

void RecordView::placeClearButton() {
  const Metrics m = metricsFor(*this);
  const int side = qMax(1, qRound(m.clear));
  clearButton_->setGeometry(qRound(width() - m.clear - 1.5 * m.margin),
                            qRound((height() - m.clear) / 2.0), side, side);
  clearButton_->setVisible(showsClearButton_);
}

void RecordView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bounds = rect();
  QPainterPath background;
  background.addRoundedRect(bounds, cornerRadius_, cornerRadius_);
  const QColor field = backgroundColor();
  painter.fillPath(background, field);
  if (borderWidth_ > 0) {
    const qreal half = borderWidth_ / 2.0;
    painter.setPen(QPen(borderColor(), borderWidth_));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(half, half, -half, -half), cornerRadius_,
                            cornerRadius_);
  }
  if (hasFocus() && isEnabled()) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius_, cornerRadius_);
  }

  const Metrics m = metricsFor(*this);
  painter.setFont(m.font);
  const QFontMetricsF fm(m.font);
  const int shown = keyCombo_ ? keyCombo_->modifiers() : inputModifiers_;
  // A modifier not in the combo is named faintly, a quarter of the way from
  // the field to its text.
  const QColor faint = ControlEdge::mix(field, palette().color(QPalette::Text), 0.25);
  // Four cells, each as wide as its name, a margin apart.
  qreal x = 1.5 * m.margin;
  for (int i = 0; i < 4; ++i) {
    const qreal cell = fm.horizontalAdvance(kModifierNames.at(i));
    QColor colour = !isEnabled() ? palette().color(QPalette::Disabled, QPalette::Text)
                    : (shown & kModifierValues[i]) != 0 ? tintColor_
                                                        : faint;
    painter.setPen(colour);
    painter.drawText(QRectF(x, 0, cell, height()), Qt::AlignCenter, kModifierNames.at(i));
    x += cell + m.margin;
  }
  if (!keyCombo_)
    return;
  const qreal textX = x + 1.5 * m.margin;
  const qreal textWidth = width() - textX - 3.0 * m.margin - m.clear;
  if (textWidth <= 0)
    return;
  const QString text =
      keyCombo_->doubledModifiers() ? QStringLiteral("double tap") : keyCombo_->characters();
  painter.setPen(isEnabled() ? tintColor_ : palette().color(QPalette::Disabled, QPalette::Text));
  painter.drawText(QRectF(textX, 0, textWidth, height()), Qt::AlignVCenter | Qt::AlignLeft,
                   fm.elidedText(text, Qt::ElideRight, textWidth));
}

} // namespace kr
