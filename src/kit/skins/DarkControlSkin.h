#pragma once

#include "kit/skins/GenericControlSkin.h"

namespace kr {

// The dark skin: dark faces with light outlines and green titles, including
// pull-downs and check boxes.
class DarkControlSkin : public GenericControlSkin {
public:
  std::optional<DrawingStack>
  highlightedPushButtonDrawingStack(QAbstractButton* button) const override;
  std::optional<DrawingStack>
  pullDownButtonDrawingStack(QAbstractButton* pullDownButton) const override;
  std::optional<DrawingStack>
  highlightedPullDownButtonDrawingStack(QAbstractButton* pullDownButton) const override;
  std::optional<DrawingStack> checkBoxOffDrawingStack(QAbstractButton* checkBox) const override;
  std::optional<DrawingStack> checkBoxOnDrawingStack(QAbstractButton* checkBox) const override;
  DrawingPalette defaultNormalFillAndStrokeAndTextColorsPalette() const override;

  virtual void drawRoundedPullDownButton(const QRectF& frame, const QList<DrawingAsset>& assets,
                                         const DrawingPalette& palette) const;

  class DrawingFunctions {
  public:
    static void drawCheckBoxInOffState(const QRectF& frame, const QList<DrawingAsset>& assets,
                                       const DrawingPalette& palette);
    static void drawCheckBoxInOnState(const QRectF& frame, const QList<DrawingAsset>& assets,
                                      const DrawingPalette& palette);
  };

private:
  DrawingPalette darkPalette() const;
  DrawingPalette darkHighlightedPalette() const;
};

} // namespace kr
