#include "kit/skins/GenericControlSkin.h"

#include "kit/skins/BricksDrawing.h"

namespace kr {

DrawingStack GenericControlSkin::stackOf(SkinDrawing draw, QAbstractButton* button,
                                         const DrawingPalette& palette) const {
  // The stack keeps the skin alive when the skin is shared.
  std::shared_ptr<const ControlSkin> keep = weak_from_this().lock();
  const GenericControlSkin* skin = this;
  DrawingOperation operation;
  operation.function = [keep, skin, draw](const QRectF& frame, const QList<DrawingAsset>& assets,
                                          const DrawingPalette& p) {
    (skin->*draw)(frame, assets, p);
  };
  operation.assets = {titleOf(button)};
  operation.palette = palette;
  DrawingStack stack;
  stack.operations << operation;
  return stack;
}

std::optional<DrawingStack>
GenericControlSkin::normalPushButtonDrawingStack(QAbstractButton* button) const {
  return stackOf(&GenericControlSkin::drawPushButton, button,
                 defaultNormalFillAndStrokeAndTextColorsPalette());
}

std::optional<DrawingStack>
GenericControlSkin::highlightedPushButtonDrawingStack(QAbstractButton* button) const {
  return stackOf(
      &GenericControlSkin::drawPushButtonWithGradient, button,
      DrawingPalette::gradientAndStrokeAndTextColors(BricksDrawing::standardHighlightGradient(),
                                                     BricksDrawing::standardHighlightedStroke(),
                                                     BricksDrawing::standardHighlightedText()));
}

DrawingPalette GenericControlSkin::labelPalette() const {
  const DrawingPalette normal = defaultNormalFillAndStrokeAndTextColorsPalette();
  if (normal.kind() == DrawingPalette::Kind::fillAndStrokeAndTextColors)
    return DrawingPalette::textColor(normal.text());
  return DrawingPalette::textColor(Qt::red);
}

GenericControlSkin::FaceColors GenericControlSkin::faceColors(const DrawingPalette& palette) {
  switch (palette.kind()) {
  case DrawingPalette::Kind::frameColor:
    return {Qt::transparent, palette.color(), Qt::transparent};
  case DrawingPalette::Kind::fillAndStrokeColors:
    return {palette.fill(), palette.stroke(), Qt::transparent};
  case DrawingPalette::Kind::fillAndStrokeAndTextColors:
    return {palette.fill(), palette.stroke(), palette.text()};
  default:
    return {Qt::red, Qt::red, Qt::red};
  }
}

QString GenericControlSkin::titleFrom(const QList<DrawingAsset>& assets) {
  QString title;
  for (const DrawingAsset& asset : assets) {
    if (asset.kind() == DrawingAsset::Kind::textProvider && asset.textProviderValue())
      title = asset.textProviderValue()();
  }
  return title;
}

void GenericControlSkin::drawPushButtonWithGradient(const QRectF& frame,
                                                    const QList<DrawingAsset>& assets,
                                                    const DrawingPalette& palette) const {
  if (palette.kind() == DrawingPalette::Kind::gradientAndStrokeAndTextColors) {
    BricksDrawing::drawPushButtonWithGradient(frame, palette.stroke(), palette.text(),
                                              palette.gradient(), titleFrom(assets));
  } else {
    BricksDrawing::drawPushButtonWithGradient(
        frame, Qt::red, Qt::red, Gradient::between(Qt::red, Qt::blue), titleFrom(assets));
  }
}

void GenericControlSkin::drawPushButton(const QRectF& frame, const QList<DrawingAsset>& assets,
                                        const DrawingPalette& palette) const {
  const FaceColors c = faceColors(palette);
  BricksDrawing::drawPushButton(frame, c.fill, c.stroke, c.text, BricksDrawing::lightShadow(),
                                titleFrom(assets));
}

DrawingPalette GenericControlSkin::defaultHighlightedFillAndStrokeAndTextColorsPalette() const {
  return DrawingPalette::fillAndStrokeAndTextColors(BricksDrawing::highlightGradientEnd(),
                                                    BricksDrawing::standardHighlightedStroke(),
                                                    BricksDrawing::standardHighlightedText());
}

DrawingPalette GenericControlSkin::defaultNormalFillAndStrokeAndTextColorsPalette() const {
  return DrawingPalette::fillAndStrokeAndTextColors(BricksDrawing::standardFill(),
                                                    BricksDrawing::standardStroke(),
                                                    BricksDrawing::standardText());
}

} // namespace kr
