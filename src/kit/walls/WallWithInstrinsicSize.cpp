#include "kit/walls/WallWithInstrinsicSize.h"

namespace kr {

WallWithInstrinsicSize::WallWithInstrinsicSize(const QRect& frame, QWidget* parent)
    : Wall(frame, parent), myIntrinsicSize_(frame.size()) {}

} // namespace kr
