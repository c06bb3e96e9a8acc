#include "kit/ControlSize.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace kr {

namespace {
const char* const sizeKey = "krControlSize";
}

void setControlSize(QWidget* control, ControlSize size) {
  control->setProperty(sizeKey, int(size));
  control->setAttribute(Qt::WA_MacSmallSize, size == ControlSize::small);
  control->setAttribute(Qt::WA_MacMiniSize, size == ControlSize::mini);
  // Regular controls use the application font; small and mini ones step down.
  QFont font = control->font();
  const double regular = QApplication::font().pointSizeF();
  const double step = size == ControlSize::small ? 2.0 : size == ControlSize::mini ? 3.0 : 0.0;
  font.setPointSizeF(std::max(6.0, regular - step));
  control->setFont(font);
  control->updateGeometry();
}

ControlSize controlSize(const QWidget* control) {
  return ControlSize(control->property(sizeKey).toInt());
}

bool isControl(const QWidget* widget) {
  return qobject_cast<const QAbstractButton*>(widget) ||
         qobject_cast<const QAbstractSlider*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
         qobject_cast<const QLabel*>(widget);
}

} // namespace kr
