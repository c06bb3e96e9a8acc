#include "kit/bricks/PushButtonBrick.h"

#include "kit/ControlSize.h"
#include "kit/bricks/BrickPainting.h"
#include "kit/skins/BricksDrawing.h"
#include "kit/skins/ControlSkin.h"
#include "kit/skins/FocusMark.h"

#include <algorithm>

#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kr {

namespace {
constexpr int kRadioSpacing = 4;
} // namespace

PushButtonBrick::PushButtonBrick(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  connect(this, &QAbstractButton::clicked, this, &PushButtonBrick::buttonPressedCallBack);
}

void PushButtonBrick::buttonPressedCallBack() {
  if (buttonType_ != ButtonType::momentaryPushIn)
    Q_EMIT valueChanged(isChecked());
  if (buttonPressFunction)
    buttonPressFunction();
}

void PushButtonBrick::setButtonType(ButtonType type) {
  buttonType_ = type;
  setCheckable(type != ButtonType::momentaryPushIn);
  if (type == ButtonType::radio)
    setFlat(true);
  updateGeometry();
  update();
}

void PushButtonBrick::nextCheckState() {
  // A radio button is turned off only by its setting, never by a press.
  if (buttonType_ == ButtonType::radio && isChecked())
    return;
  QPushButton::nextCheckState();
}

void PushButtonBrick::setImage(const QImage& image, bool isTemplate) {
  image_ = image;
  imageIsTemplate_ = isTemplate;
  refreshImage();
}

void PushButtonBrick::refreshImage() {
  if (image_.isNull()) {
    setIcon(QIcon());
    return;
  }
  QImage shown = image_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (imageIsTemplate_) {
    // The image's alpha, in the colour of the title.
    QPainter painter(&shown);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(shown.rect(), palette().color(QPalette::ButtonText));
  }
  setIcon(QIcon(QPixmap::fromImage(shown)));
  setIconSize(image_.size() / image_.devicePixelRatio());
}

void PushButtonBrick::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::PaletteChange && imageIsTemplate_)
    refreshImage();
}

QSize PushButtonBrick::sizeHint() const {
  if (buttonType_ != ButtonType::radio)
    return QPushButton::sizeHint();
  QStyleOptionButton option;
  option.initFrom(this);
  const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this);
  const int indicatorHeight =
      style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, this);
  const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
  const int width = indicator + (text().isEmpty() ? 0 : kRadioSpacing + textSize.width()) + 2;
  return QSize(width, std::max(indicatorHeight, textSize.height()) + 2);
}

void PushButtonBrick::small() { setControlSize(this, ControlSize::small); }

void PushButtonBrick::mini() { setControlSize(this, ControlSize::mini); }

void PushButtonBrick::apply(const ControlSkin& skin) {
  normalDrawingStack = skin.normalPushButtonDrawingStack(this);
  highlightedDrawingStack = skin.highlightedPushButtonDrawingStack(this);
  update();
}

PushButtonBrick* PushButtonBrick::helpButton(std::function<void()> action) {
  auto* brick = new PushButtonBrick();
  brick->buttonPressFunction = std::move(action);
  brick->makeHelpButton();
  return brick;
}

void PushButtonBrick::makeBorderless() { setFlat(true); }

void PushButtonBrick::makeHelpButton() {
  isHelpButton_ = true;
  setText(QStringLiteral("?"));
  setToolTip(tr("Help"));
  setFixedSize(22, 22);
  // A widget with a style sheet takes no colours from its parent: the sheet
  // names the kit's own, so the button looks the same on every desktop.
  setStyleSheet(QStringLiteral("QPushButton { border-radius: 11px; border: 1px solid %1;"
                               " background: %2; color: %3; font-weight: bold; }"
                               " QPushButton:pressed { background: %4; color: %5; }"
                               " QPushButton:disabled { color: %1; }")
                    .arg(BricksDrawing::standardStroke().name(), BricksDrawing::darkFill().name(),
                         BricksDrawing::standardHighlightedText().name(),
                         BricksDrawing::darkHighlightedFill().name(),
                         BricksDrawing::darkHighlightedText().name()));
}

void PushButtonBrick::paintEvent(QPaintEvent* event) {
  if (buttonType_ == ButtonType::radio) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this);
    const int indicatorHeight =
        style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, this);
    option.rect = QRect(1, (height() - indicatorHeight) / 2, indicator, indicatorHeight);
    option.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
    if (isDown())
      option.state |= QStyle::State_Sunken;
    painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, option);
    if (!text().isEmpty()) {
      const QRect textRect(indicator + 1 + kRadioSpacing, 0,
                           width() - indicator - kRadioSpacing - 1, height());
      painter.drawItemText(textRect, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                           text(), QPalette::ButtonText);
    }
    if (FocusMark::isShown(*this))
      FocusMark::paint(painter, *this);
    return;
  }
  const bool pressed = isDown() || (buttonType_ == ButtonType::onOff && isChecked());
  if (!paintBrick(this, pressed ? highlightedDrawingStack : normalDrawingStack,
                  pressed ? highlightedDrawFunc : normalDrawFunc, buttonAssets(this))) {
    QPushButton::paintEvent(event);
    // A borderless button has no bezel for the style to mark.
    if (isFlat())
      FocusMark::paintIfShown(*this);
  }
}

} // namespace kr
