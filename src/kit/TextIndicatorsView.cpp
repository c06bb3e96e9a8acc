#include "kit/TextIndicatorsView.h"

#include <QFont>
#include <QPushButton>
#include <QTextCharFormat>

namespace kr {

namespace {

const char* const kTitles[TextIndicatorsView::IndicatorCount] = {"N", "B", "i", "U", "S"};

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
  QFont bold = buttons_[Bold]->font();
  bold.setBold(true);
  buttons_[Bold]->setFont(bold);
  QFont italic = buttons_[Italics]->font();
  italic.setItalic(true);
  buttons_[Italics]->setFont(italic);
  QFont underline = buttons_[Underline]->font();
  underline.setUnderline(true);
  buttons_[Underline]->setFont(underline);
  QFont strikeOut = buttons_[StrikeThrough]->font();
  strikeOut.setStrikeOut(true);
  buttons_[StrikeThrough]->setFont(strikeOut);
  buttons_[Plain]->hide();
}

void TextIndicatorsView::showFormat(const QTextCharFormat& format) {
  const bool bold = format.fontWeight() >= QFont::Bold;
  const bool italic = format.fontItalic();
  const bool underline = format.fontUnderline();
  const bool strikeOut = format.fontStrikeOut();
  buttons_[Plain]->setChecked(!bold && !italic && !underline && !strikeOut);
  buttons_[Bold]->setChecked(bold);
  buttons_[Italics]->setChecked(italic);
  buttons_[Underline]->setChecked(underline);
  buttons_[StrikeThrough]->setChecked(strikeOut);
}

} // namespace kr
