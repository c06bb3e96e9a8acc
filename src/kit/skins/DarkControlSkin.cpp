#include "kit/skins/DarkControlSkin.h"

#include "kit/skins/BricksDrawing.h"

namespace kr {

namespace {
DrawingStack functionStack(DrawingOperation::Function function, QAbstractButton* button,
                           const DrawingPalette& palette) {
  DrawingOperation operation;
  operation.function = std::move(function);
  operation.assets = {ControlSkin::titleOf(button)};
  operation.palette = palette;
  DrawingStack stack;
  stack.operations << operation;
  return stack;
}
} // namespace

DrawingPalette DarkControlSkin::darkPalette() const {
  return DrawingPalette::fillAndStrokeAndTextColors(BricksDrawing::darkFill(),
                                                    BricksDrawing::darkStroke(), Qt::green);
}

DrawingPalette DarkControlSkin::darkHighlightedPalette() const {
  return DrawingPalette::fillAndStrokeAndTextColors(BricksDrawing::darkHighlightedFill(),
                                                    BricksDrawing::darkHighlightedStroke(),
                                                    BricksDrawing::darkHighlightedText());
}

std::optional<DrawingStack>
DarkControlSkin::highlightedPushButtonDrawingStack(QAbstractButton* button) const {
  return stackOf(&GenericControlSkin::drawPushButton, button, darkHighlightedPalette());
}

std::optional<DrawingStack>
DarkControlSkin::pullDownButtonDrawingStack(QAbstractButton* pullDownButton) const {
  return stackOf(static_cast<SkinDrawing>(&DarkControlSkin::drawRoundedPullDownButton),
                 pullDownButton, darkPalette());
}

std::optional<DrawingStack>
DarkControlSkin::highlightedPullDownButtonDrawingStack(QAbstractButton* pullDownButton) const {
  return stackOf(static_cast<SkinDrawing>(&DarkControlSkin::drawRoundedPullDownButton),
                 pullDownButton, darkHighlightedPalette());
}

std::optional<DrawingStack> DarkControlSkin::checkBoxOffDrawingStack(QAbstractButton* box) const {
  return functionStack(&DrawingFunctions::drawCheckBoxInOffState, box, darkPalette());
}

std::optional<DrawingStack> DarkControlSkin::checkBoxOnDrawingStack(QAbstractButton* box) const {
  return functionStack(&DrawingFunctions::drawCheckBoxInOnState, box, darkPalette());
}

DrawingPalette DarkControlSkin::defaultNormalFillAndStrokeAndTextColorsPalette() const {
  return darkPalette();
}

void DarkControlSkin::drawRoundedPullDownButton(const QRectF& frame,
                                                const QList<DrawingAsset>& assets,
                                                const DrawingPalette& palette) const {
  const FaceColors c = faceColors(palette);
  BricksDrawing::drawRoundedPullDownButton(frame, c.fill, c.stroke, c.text, titleFrom(assets));
}

void DarkControlSkin::DrawingFunctions::drawCheckBoxInOffState(const QRectF& frame,
                                                               const QList<DrawingAsset>& assets,
                                                               const DrawingPalette& palette) {
  const FaceColors c = faceColors(palette);
  BricksDrawing::drawCheckBoxInOffState(frame, c.fill, c.stroke, c.text, titleFrom(assets));
}

void DarkControlSkin::DrawingFunctions::drawCheckBoxInOnState(const QRectF& frame,
                                                              const QList<DrawingAsset>& assets,
                                                              const DrawingPalette& palette) {
  const FaceColors c = faceColors(palette);
  BricksDrawing::drawCheckBoxInOnState(frame, c.fill, c.stroke, c.text, titleFrom(assets));
}

} // namespace kr
