#pragma once

#include "kit/skins/ControlSkin.h"

namespace kr {

// The light skin: white push buttons with a grey outline that turn into the
// blue highlight gradient while pressed.
class GenericControlSkin : public ControlSkin {
public:
  std::optional<DrawingStack> normalPushButtonDrawingStack(QAbstractButton* button) const override;
  std::optional<DrawingStack>
  highlightedPushButtonDrawingStack(QAbstractButton* button) const override;
  DrawingPalette labelPalette() const override;

  virtual void drawPushButtonWithGradient(const QRectF& frame, const QList<DrawingAsset>& assets,
                                          const DrawingPalette& palette) const;
  virtual void drawPushButton(const QRectF& frame, const QList<DrawingAsset>& assets,
                              const DrawingPalette& palette) const;
  virtual DrawingPalette defaultHighlightedFillAndStrokeAndTextColorsPalette() const;
  virtual DrawingPalette defaultNormalFillAndStrokeAndTextColorsPalette() const;

  // The colours a fill-and-stroke face takes from a palette; red for a palette
  // of another kind.
  struct FaceColors {
    QColor fill, stroke, text;
  };
  static FaceColors faceColors(const DrawingPalette& palette);
  // The last text provider's text among the assets; empty without one.
  static QString titleFrom(const QList<DrawingAsset>& assets);

protected:
  // A stack of one operation drawing with `draw` of this skin (so an override
  // in a subclass takes effect), the button's title and `palette`.
  using SkinDrawing = void (GenericControlSkin::*)(const QRectF&, const QList<DrawingAsset>&,
                                                   const DrawingPalette&) const;
  DrawingStack stackOf(SkinDrawing draw, QAbstractButton* button,
                       const DrawingPalette& palette) const;
};

} // namespace kr
