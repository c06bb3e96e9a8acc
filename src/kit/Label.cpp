#include "kit/Label.h"

#include "kit/ControlSize.h"
#include "kit/skins/ControlSkin.h"

namespace kr {

Label::Label(QWidget* parent) : QLabel(parent) {}

Label* Label::standardLabel(const QString& title) {
  auto* label = new Label();
  label->setText(title);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(false);
  label->setTextInteractionFlags(Qt::NoTextInteraction);
  label->setFrameShape(QFrame::NoFrame);
  label->setAutoFillBackground(false);
  label->setAttribute(Qt::WA_TranslucentBackground);
  return label;
}

void Label::apply(const ControlSkin& skin) {
  const DrawingPalette palette = skin.labelPalette();
  if (palette.kind() != DrawingPalette::Kind::textColor)
    return;
  QPalette p = this->palette();
  p.setColor(QPalette::WindowText, palette.color());
  setPalette(p);
}

void Label::small() { setControlSize(this, ControlSize::small); }

QColor Label::textColor() const { return palette().color(QPalette::WindowText); }

} // namespace kr
