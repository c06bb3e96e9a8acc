#include "kit/TextField.h"

#include "kit/skins/FocusMark.h"

#include "kit/ControlSize.h"
#include "kit/skins/ControlSkin.h"

namespace kr {

TextField::TextField(QWidget* parent) : QLineEdit(parent) {}

void TextField::apply(const ControlSkin& skin) {
  const DrawingPalette palette = skin.labelPalette();
  if (palette.kind() != DrawingPalette::Kind::textColor)
    return;
  QPalette p = this->palette();
  p.setColor(QPalette::Text, palette.color());
  setPalette(p);
}

void TextField::small() { setControlSize(this, ControlSize::small); }

void TextField::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (!hasFrame())
    FocusMark::paintIfShown(*this);
}

} // namespace kr
