#include "kit/bricks/BrickPainting.h"

#include "kit/skins/BricksDrawingHelper.h"
#include "kit/skins/FocusMark.h"
#include "platform/drawing/GraphicsContext.h"

#include <QAbstractButton>
#include <QPainter>

namespace kr {

bool paintBrick(QWidget* brick, const std::optional<DrawingStack>& stack,
                const std::optional<ButtonDrawingFuncType>& function,
                const QList<DrawingAsset>& assets) {
  if (!stack && !function)
    return false;
  QPainter painter(brick);
  painter.setRenderHint(QPainter::Antialiasing);
  {
    GraphicsContext context(&painter, brick->height());
    GraphicsContext::Scope scope(context);
    BricksDrawingHelper::draw(QRectF(0, 0, brick->width(), brick->height()), stack, function, {},
                              assets);
  }
  if (FocusMark::isShown(*brick))
    FocusMark::paint(painter, *brick);
  return true;
}

QList<DrawingAsset> buttonAssets(const QAbstractButton* button) {
  QList<DrawingAsset> assets;
  if (!button->icon().isNull()) {
    const QIcon icon = button->icon();
    const QSize size = button->iconSize();
    assets.append(DrawingAsset::image(DrawnImage(size, [icon, size](const QRectF& frame) {
      if (GraphicsContext* context = GraphicsContext::current())
        context->drawImage(icon.pixmap(size, 2.0).toImage(), frame);
    })));
  }
  assets.append(DrawingAsset::text(button->text()));
  return assets;
}

} // namespace kr
