#include "kit/ViewWithInstrinsicSize.h"

namespace kr {

ViewWithInstrinsicSize::ViewWithInstrinsicSize(const QRectF& frame, QWidget* parent)
    : QWidget(parent), size_(frame.size().toSize()) {
  setGeometry(frame.toRect());
}

} // namespace kr
