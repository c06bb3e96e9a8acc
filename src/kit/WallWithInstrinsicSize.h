#pragma once

#include "kit/Wall.h"

namespace kr {

// A wall whose intrinsic size is the size of the frame it was made with.
class WallWithInstrinsicSize : public Wall {
  Q_OBJECT

public:
  explicit WallWithInstrinsicSize(const QRect& frame, QWidget* parent = nullptr);
  QSize sizeHint() const override { return myIntrinsicSize_; }

private:
  QSize myIntrinsicSize_;
};

} // namespace kr
