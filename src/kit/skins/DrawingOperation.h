#pragma once

#include "kit/skins/DrawingAsset.h"
#include "kit/skins/DrawingPalette.h"

#include <QList>
#include <QRectF>

#include <functional>

namespace kr {

// One layer of a drawing stack: a drawing function with the frame adjustment,
// the assets and the palette it draws with.
struct DrawingOperation {
  using Function = std::function<void(const QRectF& frame, const QList<DrawingAsset>& assets,
                                      const DrawingPalette& palette)>;
  using FrameAdjuster = std::function<QRectF(const QRectF&)>;

  struct Defaults {
    // Leaves the frame as it is.
    static QRectF frameAdjuster(const QRectF& frame) { return frame; }
  };

  Function function;
  FrameAdjuster frameAdjuster = &Defaults::frameAdjuster;
  QList<DrawingAsset> assets;
  DrawingPalette palette;
};

} // namespace kr
