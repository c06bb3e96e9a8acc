#include "kit/text/TextIndicatorsView.h"

#include "art/KorvaneStyleKit.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QTextCharFormat>

#include <array>

namespace kr {

namespace {

const char* const kTitles[TextIndicatorsView::IndicatorCount] = {"N", "B", "i", "U", "S"};
const char* const kNames[TextIndicatorsView::IndicatorCount] = {"Plain", "Bold", "Italics",
                                                                "Underline", "Strikethrough"};

DrawnImage indicatorImage(int which) {
  switch (which) {
  case TextIndicatorsView::Plain:
    return KorvaneStyleKit::imageOfPlainIndicator();
  case TextIndicatorsView::Bold:
    return KorvaneStyleKit::imageOfBoldIndicator();
  case TextIndicatorsView::Italics:
    return KorvaneStyleKit::imageOfItalicsIndicator();
  case TextIndicatorsView::Underline:
    return KorvaneStyleKit::imageOfUnderlineIndicator();
  default:
    return KorvaneStyleKit::imageOfStrikeThroughIndicator();
  }
}

// The glyphs are drawn black, as they are, at twice the pixels for sharp
// edges on scaled screens; drawn once and shared by every text bar.
const QIcon& indicatorIcon(int which) {
  static const std::array<QIcon, TextIndicatorsView::IndicatorCount> icons = [] {
    std::array<QIcon, TextIndicatorsView::IndicatorCount> drawn;
    for (int i = 0; i < TextIndicatorsView::IndicatorCount; ++i) {
      QPixmap pixmap = QPixmap::fromImage(indicatorImage(i).toImage(2.0));
      pixmap.setDevicePixelRatio(2.0);
      drawn[size_t(i)] = QIcon(pixmap);
    }
    return drawn;
  }();
  return icons[size_t(which)];
}

} // namespace

TextIndicatorsView::TextIndicatorsView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TextIndicatorsView"));
  setFixedSize(kWidth, kHeight);
  const int y = (kHeight - kButtonHeight) / 2;
  for (int i = 0; i < IndicatorCount; ++i) {
    auto* button = new QPushButton(QString::fromLatin1(kTitles[i]), this);
    button->setObjectName(QStringLiteral("indicator ") + QString::fromLatin1(kTitles[i]));
    button->setFlat(true);
    button->setCheckable(true);
    // Clicking an indicator must leave the focus, and so the selection, in the editor.
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(i * (kButtonWidth + kButtonGap), y, kButtonWidth, kButtonHeight);
    buttons_[i] = button;
  }
  initTextBarButtons();
  buttons_[Plain]->hide();
}

void TextIndicatorsView::initTextBarButtons() {
  for (int i = 0; i < IndicatorCount; ++i) {
    buttons_[i]->setIcon(indicatorIcon(i));
    buttons_[i]->setIconSize(QSize(kButtonHeight - 4, kButtonHeight - 4));
    buttons_[i]->setText(QString());
    buttons_[i]->setToolTip(QString::fromLatin1(kNames[i]));
    buttons_[i]->setAccessibleName(QString::fromLatin1(kNames[i]));
  }
}

void TextIndicatorsView::activatePlainAttributeIndicator() { buttons_[Plain]->setChecked(true); }
void TextIndicatorsView::deactivatePlainAttributeIndicator() { buttons_[Plain]->setChecked(false); }
void TextIndicatorsView::activateBoldAttributeIndicator() { buttons_[Bold]->setChecked(true); }
void TextIndicatorsView::deactivateBoldAttributeIndicator() { buttons_[Bold]->setChecked(false); }
void TextIndicatorsView::activateItalicsAttributeIndicator() {
  buttons_[Italics]->setChecked(true);
}
void TextIndicatorsView::deactivateItalicsAttributeIndicator() {
  buttons_[Italics]->setChecked(false);
}
void TextIndicatorsView::activateUnderlineAttributeIndicator() {
  buttons_[Underline]->setChecked(true);
}
void TextIndicatorsView::deactivateUnderlineAttributeIndicator() {
  buttons_[Underline]->setChecked(false);
}
void TextIndicatorsView::activateStrikeThroughAttributeIndicator() {
  buttons_[StrikeThrough]->setChecked(true);
}
void TextIndicatorsView::deactivateStrikeThroughAttributeIndicator() {
  buttons_[StrikeThrough]->setChecked(false);
}

void TextIndicatorsView::showFormat(const QTextCharFormat& format, const QFont& defaultFont,
                                    const QColor& textColor) {
  const bool bold = format.fontWeight() >= QFont::Bold;
  const bool italic = format.fontItalic();
  const bool underline = format.fontUnderline();
  const bool strikeOut = format.fontStrikeOut();
  const bool ownColour =
      !format.hasProperty(QTextFormat::ForegroundBrush) || format.foreground().color() == textColor;
  const QFont font = format.font();
  const bool ownFont =
      font.family() == defaultFont.family() && font.pointSizeF() == defaultFont.pointSizeF() &&
      font.weight() == defaultFont.weight() && font.italic() == defaultFont.italic();
  buttons_[Plain]->setChecked(ownColour && ownFont);
  buttons_[Bold]->setChecked(bold);
  buttons_[Italics]->setChecked(italic);
  buttons_[Underline]->setChecked(underline);
  buttons_[StrikeThrough]->setChecked(strikeOut);
}

} // namespace kr
