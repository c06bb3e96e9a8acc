#include "kit/VisualEffectView.h"

#include <QPainter>

namespace kr {

VisualEffectView::VisualEffectView(QWidget* parent) : QWidget(parent) {}

void VisualEffectView::setMaterial(Material material) {
  material_ = material;
  update();
}

QColor VisualEffectView::darkMaterialColor() { return QColor(30, 30, 32, 230); }

void VisualEffectView::paintEvent(QPaintEvent*) {
  if (material_ != Material::dark)
    return;
  QPainter painter(this);
  painter.fillRect(rect(), darkMaterialColor());
}

} // namespace kr
