#pragma once

#include "kit/SplittingSize.h"
#include "kit/skins/DrawingStack.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace kr {

class BricksFactory;
class EndOfLifeBag;
class GraphicsContext;

// The container view every page is made of. It owns the factory through which
// bricks are added to it, paints a background (drawing stack, drawing function
// or plain colour, the first that is set) and up to four one-point borders,
// and holds an end-of-life bag whose closures run when the wall goes away.
// Drawing is in y-up coordinates with the origin at the bottom left.
class Wall : public QWidget {
  Q_OBJECT

public:
  using BackgroundDrawingFunc = std::function<void(const QRectF& dirtyRect)>;
  using BorderDrawingFunc =
      std::function<void(const QRectF& rect, bool top, bool bottom, bool left, bool right)>;

  explicit Wall(QWidget* parent = nullptr);
  explicit Wall(const QRect& frame, QWidget* parent = nullptr);
  ~Wall() override;

  // The name pages give a wall ("InfoWall", "ButtonWall"); also its object name,
  // so layout reports name it.
  QString identifier() const { return objectName(); }
  void setIdentifier(const QString& identifier) { setObjectName(identifier); }

  const std::shared_ptr<EndOfLifeBag>& endOfLifeBag() const { return endOfLifeBag_; }
  const std::shared_ptr<BricksFactory>& factory() const { return factory_; }

  bool inheritsVibrancy() const { return inheritsVibrancy_; }
  void setInheritsVibrancy(bool on) { inheritsVibrancy_ = on; }
  bool inheritsFlipped() const { return inheritsFlipped_; }
  void setInheritsFlipped(bool on) { inheritsFlipped_ = on; }
  std::optional<QColor> backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(std::optional<QColor> color);
  QColor borderColor() const { return borderColor_; }
  void setBorderColor(const QColor& color);
  const std::optional<DrawingStack>& drawingStack() const { return drawingStack_; }
  void setDrawingStack(std::optional<DrawingStack> stack);

  bool drawLeftBorder() const { return drawLeftBorder_; }
  void setDrawLeftBorder(bool on);
  bool drawRightBorder() const { return drawRightBorder_; }
  void setDrawRightBorder(bool on);
  bool drawTopBorder() const { return drawTopBorder_; }
  void setDrawTopBorder(bool on);
  bool drawBottomBorder() const { return drawBottomBorder_; }
  void setDrawBottomBorder(bool on);

  const BackgroundDrawingFunc& backgroundDrawingFunc() const { return backgroundDrawingFunc_; }
  void setBackgroundDrawingFunc(BackgroundDrawingFunc func);
  // Kept for callers; drawing does not consult it.
  const BorderDrawingFunc& borderDrawingFunc() const { return borderDrawingFunc_; }
  void setBorderDrawingFunc(BorderDrawingFunc func) { borderDrawingFunc_ = std::move(func); }

  // A wall added through this wall's factory, pinned to its top and bottom and
  // centred horizontally; its width is left to its content.
  Wall* createCenteredWallInside();
  // Two walls side by side filling this one; answers (left, right).
  std::pair<Wall*, Wall*> split(SplittingSize size, double factor, SplitDirection direction);

  // The one-point border bands of `bounds` (y up), in drawing order: right,
  // left, top, bottom; the side bands stop short of the top and bottom ones.
  static QList<QRectF> borderBands(const QRectF& bounds, bool top, bool bottom, bool left,
                                   bool right);

protected:
  void paintEvent(QPaintEvent* event) override;
  // Paints the background and borders into `context`; `dirty` in drawing coordinates.
  virtual void drawWall(GraphicsContext& context, const QRectF& dirty);

private:
  void setUp();

  std::shared_ptr<EndOfLifeBag> endOfLifeBag_;
  std::shared_ptr<BricksFactory> factory_;
  bool inheritsVibrancy_ = false;
  bool inheritsFlipped_ = false;
  std::optional<QColor> backgroundColor_;
  QColor borderColor_ = Qt::transparent;
  std::optional<DrawingStack> drawingStack_;
  bool drawLeftBorder_ = false;
  bool drawRightBorder_ = false;
  bool drawTopBorder_ = false;
  bool drawBottomBorder_ = false;
  BackgroundDrawingFunc backgroundDrawingFunc_;
  BorderDrawingFunc borderDrawingFunc_;
};

} // namespace kr
