#pragma once

#include "kit/walls/Wall.h"

namespace kr {

// A wall whose natural size is the size of the frame it was made with,
// whatever it holds: constraints that leave its size open give it that size.
class WallWithInstrinsicSize : public Wall {
  Q_OBJECT

public:
  explicit WallWithInstrinsicSize(const QRect& frame, QWidget* parent = nullptr);

  QSize sizeHint() const override { return myIntrinsicSize_; }

private:
  QSize myIntrinsicSize_;
};

} // namespace kr
