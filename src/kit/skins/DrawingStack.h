#pragma once

#include "kit/skins/DrawingOperation.h"

#include <QList>

namespace kr {

// Drawing operations run in order into the current graphics context, each
// with its own adjusted frame; nothing is saved or restored between them.
struct DrawingStack {
  QList<DrawingOperation> operations;

  void draw(const QRectF& frame) const;
};

} // namespace kr
