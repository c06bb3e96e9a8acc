#include "art/ShadowDrawing.h"

#include "platform/drawing/GraphicsContext.h"

#include <cmath>

namespace kr {

void fillWithShadowAtDegrees(const BezierPath& path, const QColor& color, float degrees,
                             float distance) {
  constexpr float pi = 3.141592f;
  const float radians = degrees * pi / 180.0f;
  const Shadow shadow{QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.3f),
                      QPointF(std::cos(radians) * distance, std::sin(radians) * distance), 3.0};
  GraphicsContext& context = *GraphicsContext::current();
  context.saveState();
  context.setShadow(shadow);
  context.fill(path, color);
  context.restoreState();
}

void drawInnerShadow(const BezierPath& shape, const Shadow& shadow) {
  GraphicsContext& gc = *GraphicsContext::current();
  gc.saveState();
  gc.clip(shape);
  gc.clearShadow();
  gc.setAlpha(shadow.color.alphaF());
  gc.beginTransparencyLayer();
  QColor opaque = shadow.color;
  opaque.setAlphaF(1.0f);
  gc.setShadow(Shadow{opaque, shadow.offset, shadow.blurRadius});
  gc.setCompositionMode(QPainter::CompositionMode_SourceOut);
  gc.beginTransparencyLayer();
  gc.fill(shape, opaque);
  gc.endTransparencyLayer();
  gc.endTransparencyLayer();
  gc.restoreState();
}

} // namespace kr
