#include "kit/walls/Wall.h"

#include "kit/EndOfLifeBag.h"
#include "kit/walls/BricksFactory.h"
#include "kit/walls/LayoutConstraintMaker.h"
#include "platform/drawing/GraphicsContext.h"
#include "platform/layout/ConstraintLayout.h"

#include <QPaintEvent>
#include <QPainter>

namespace kr {

Wall::Wall(QWidget* parent)
    : QWidget(parent), endOfLifeBag_(std::make_shared<EndOfLifeBag>()),
      factory_(BricksFactory::create()) {
  setUp();
}

Wall::Wall(const QRect& frame, QWidget* parent) : Wall(parent) { setGeometry(frame); }

Wall::~Wall() = default;

void Wall::setUp() {
  factory_->setContainerView(this);
  factory_->setElementCreationTarget(this);
  ConstraintLayout::of(this);
}

void Wall::setBackgroundColor(std::optional<QColor> color) {
  backgroundColor_ = std::move(color);
  update();
}

void Wall::setBorderColor(const QColor& color) {
  borderColor_ = color;
  update();
}

void Wall::setDrawingStack(std::optional<DrawingStack> stack) {
  drawingStack_ = std::move(stack);
  update();
}

void Wall::setDrawLeftBorder(bool on) {
  drawLeftBorder_ = on;
  update();
}

void Wall::setDrawRightBorder(bool on) {
  drawRightBorder_ = on;
  update();
}

void Wall::setDrawTopBorder(bool on) {
  drawTopBorder_ = on;
  update();
}

void Wall::setDrawBottomBorder(bool on) {
  drawBottomBorder_ = on;
  update();
}

void Wall::setBackgroundDrawingFunc(BackgroundDrawingFunc func) {
  backgroundDrawingFunc_ = std::move(func);
  update();
}

Wall* Wall::createCenteredWallInside() {
  auto* wall = new Wall();
  factory_->internalAddBrick(wall, [](LayoutConstraintMaker& make) {
    make.container()
        .pin(LayoutAttribute::Top, LayoutAttribute::Top, 0)
        .pin(LayoutAttribute::Bottom, LayoutAttribute::Bottom, 0)
        .pin(LayoutAttribute::CenterX, LayoutAttribute::CenterX, 0);
  });
  return wall;
}

std::pair<Wall*, Wall*> Wall::split(SplittingSize size, double factor, SplitDirection direction) {
  auto* left = new Wall();
  auto* right = new Wall();
  ConstraintLayout::addSubview(this, left);
  ConstraintLayout::addSubview(this, right);
  const bool leftSized = direction == SplitDirection::left;
  Wall* sized = leftSized ? left : right;
  Wall* other = leftSized ? right : left;
  using A = LayoutAttribute;

  LayoutConstraintMaker sizedMaker(sized);
  if (size == SplittingSize::absolute)
    sizedMaker.width(factor);
  else
    sizedMaker.and_(this).width(factor);
  // The sized wall hangs on this wall's edge on its own side, the other wall
  // fills the rest.
  sizedMaker.and_(this).pin(leftSized ? A::Left : A::Right, leftSized ? A::Left : A::Right, 0);
  sizedMaker.and_(this).pin(A::Top, A::Top, 0).pin(A::Bottom, A::Bottom, 0);
  LayoutConstraintMaker otherMaker(other);
  otherMaker.and_(sized).pin(leftSized ? A::Left : A::Right, leftSized ? A::Right : A::Left, 0);
  otherMaker.and_(this)
      .pin(leftSized ? A::Right : A::Left, leftSized ? A::Right : A::Left, 0)
      .pin(A::Top, A::Top, 0)
      .pin(A::Bottom, A::Bottom, 0);
  ConstraintLayout* layout = ConstraintLayout::of(this);
  layout->addConstraints(sizedMaker.constraints());
  layout->addConstraints(otherMaker.constraints());
  return {left, right};
}

QList<QRectF> Wall::borderBands(const QRectF& b, bool top, bool bottom, bool left, bool right) {
  QList<QRectF> bands;
  const double sideY = b.y() + (bottom ? 1.0 : 0.0);
  const double sideHeight = b.height() - (top ? 1.0 : 0.0) - (bottom ? 1.0 : 0.0);
  if (right)
    bands << QRectF(b.x() + b.width() - 1.0, sideY, 1.0, sideHeight);
  if (left)
    bands << QRectF(b.x(), sideY, 1.0, sideHeight);
  if (top)
    bands << QRectF(b.x(), b.y() + b.height() - 1.0, b.width(), 1.0);
  if (bottom)
    bands << QRectF(b.x(), b.y(), b.width(), 1.0);
  return bands;
}

void Wall::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  GraphicsContext context(&painter, height());
  GraphicsContext::Scope scope(context);
  const QRect r = event->rect();
  drawWall(context, QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height()));
}

void Wall::drawWall(GraphicsContext& context, const QRectF& dirty) {
  const QRectF bounds(0, 0, width(), height());
  if (drawingStack_)
    drawingStack_->draw(bounds);
  else if (backgroundDrawingFunc_)
    backgroundDrawingFunc_(dirty);
  else if (backgroundColor_)
    context.fillRect(bounds, *backgroundColor_);
  const QList<QRectF> bands =
      borderBands(bounds, drawTopBorder_, drawBottomBorder_, drawLeftBorder_, drawRightBorder_);
  for (const QRectF& band : bands)
    context.fillRect(band, borderColor_);
}

} // namespace kr
