#pragma once

#include "platform/drawing/BezierPath.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <vector>

namespace kr {

// Colours at locations between 0 and 1, blended in sRGB.
class Gradient {
public:
  Gradient() = default;
  Gradient(QList<QColor> colors, QList<double> locations);
  static Gradient between(QColor start, QColor end);

  const QList<QColor>& colors() const { return colors_; }
  const QList<double>& locations() const { return locations_; }

private:
  QList<QColor> colors_;
  QList<double> locations_;
};

// A shadow cast by what is drawn after it is set. Offset and blur are in
// device units, y up, unaffected by the current transformation.
struct Shadow {
  QColor color;
  QPointF offset;
  double blurRadius = 0.0;
};

// Blends `a` towards `b` by `fraction` (0 gives a, 1 gives b), alpha included.
QColor blendedColor(const QColor& a, const QColor& b, double fraction);

// The drawing surface of the style kits: QPainter with y-up drawing
// coordinates (origin at the bottom left of the device), rotations in degrees
// counter-clockwise, shadows and transparency layers. A context made with
// `Scope` is the current one for the code it calls.
class GraphicsContext {
public:
  // Draws through `painter` onto a device `height` units tall (y-down).
  GraphicsContext(QPainter* painter, double height);
  ~GraphicsContext();
  GraphicsContext(const GraphicsContext&) = delete;
  GraphicsContext& operator=(const GraphicsContext&) = delete;

  // The context of the innermost drawing pass, if any.
  static GraphicsContext* current();
  // Makes a context current while alive.
  class Scope {
  public:
    explicit Scope(GraphicsContext& context);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

  private:
    GraphicsContext* previous_;
  };

  QPainter* painter() const;

  void saveState();
  void restoreState();
  void translate(double dx, double dy);
  void scale(double sx, double sy);
  void rotate(double degrees);
  void clip(const BezierPath& path);
  void clipToRect(const QRectF& rect);
  void setAlpha(double alpha);
  void setCompositionMode(QPainter::CompositionMode mode);

  // Set until the state is restored; drawing casts it.
  void setShadow(const Shadow& shadow);
  void clearShadow();

  // Everything drawn until the matching end is composed first and then put
  // down at once, casting one joint shadow.
  void beginTransparencyLayer();
  void endTransparencyLayer();

  void fill(const BezierPath& path, const QColor& color);
  void fillRect(const QRectF& rect, const QColor& color);
  void stroke(const BezierPath& path, const QColor& color, double lineWidth,
              Qt::PenCapStyle cap = Qt::FlatCap, Qt::PenJoinStyle join = Qt::MiterJoin);
  // Strokes `path` with its own line width, join style and miter limit.
  void strokePath(const BezierPath& path, const QColor& color, Qt::PenCapStyle cap = Qt::FlatCap);
  // Fills `path` with `gradient` running at `angle` degrees across its bounds:
  // 90 runs from the minimum y (first colour) to the maximum y (last colour).
  // Two colours at one location make a hard step there.
  void drawLinearGradient(const Gradient& gradient, const BezierPath& path, double angle);
  void drawImage(const QImage& image, const QRectF& rect);

  // Text laid out in `rect` from its top (maximum y) edge, wrapped to its width.
  void drawText(const QString& text, const QRectF& rect, const QFont& font, const QColor& color,
                Qt::Alignment alignment = Qt::AlignLeft);
  // The height the text needs when wrapped to `width` (unbounded height).
  static QSizeF measureText(const QString& text, const QFont& font, double width);

  // Maps a rectangle of drawing coordinates to the device's y-down ones.
  QRectF deviceRect(const QRectF& rect) const;

private:
  struct State {
    std::optional<Shadow> shadow;
  };
  struct Layer;

  template <typename Paint> void paintWithShadow(Paint paint);
  QPainter* activePainter() const;

  QPainter* painter_;
  double height_;
  std::vector<State> states_;
  std::vector<std::unique_ptr<Layer>> layers_;
};

} // namespace kr
