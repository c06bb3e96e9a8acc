#include "kit/skins/BricksDrawingHelper.h"

#include "platform/drawing/GraphicsContext.h"

namespace kr {

void BricksDrawingHelper::draw(const QRectF& frame, const std::optional<DrawingStack>& drawingStack,
                               const std::optional<ButtonDrawingFuncType>& drawingFunction,
                               const std::function<void(const QRectF&)>& drawAsPlatform,
                               const QList<DrawingAsset>& assets) {
  GraphicsContext* context = GraphicsContext::current();
  if (context) {
    context->saveState();
    context->painter()->setRenderHint(QPainter::TextAntialiasing, true);
  }
  if (drawingFunction) {
    DrawnImage image;
    QString text;
    for (const DrawingAsset& asset : assets) {
      if (asset.kind() == DrawingAsset::Kind::image)
        image = asset.imageValue();
      else if (asset.kind() == DrawingAsset::Kind::text)
        text = asset.textValue();
    }
    switch (drawingFunction->kind()) {
    case ButtonDrawingFuncType::Kind::text:
      drawingFunction->textFunc()(frame, text);
      break;
    case ButtonDrawingFuncType::Kind::image:
      drawingFunction->imageFunc()(frame, image);
      break;
    case ButtonDrawingFuncType::Kind::plain:
      drawingFunction->plainFunc()(frame);
      break;
    }
  } else if (drawingStack) {
    drawingStack->draw(frame);
  } else if (drawAsPlatform) {
    drawAsPlatform(frame);
  }
  if (context)
    context->restoreState();
}

} // namespace kr
