#include "platform/drawing/GraphicsContext.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace kr {

namespace {
GraphicsContext* currentContext = nullptr;

// Three passes of a box blur approximate a Gaussian of the given radius.
void blurAlpha(std::vector<float>& alpha, int width, int height, double radius) {
  const int box = std::max(1, int(std::lround(radius / 2.0)));
  std::vector<float> in(size_t(std::max(width, height)));
  auto pass = [&](int count, int length, auto at) {
    for (int i = 0; i < count; ++i) {
      for (int j = 0; j < length; ++j)
        in[size_t(j)] = at(i, j);
      double sum = 0; // window [j - box, j + box], zero outside the image
      for (int k = 0; k <= box && k < length; ++k)
        sum += in[size_t(k)];
      for (int j = 0; j < length; ++j) {
        at(i, j) = float(sum / (2 * box + 1));
        if (j + box + 1 < length)
          sum += in[size_t(j + box + 1)];
        if (j - box >= 0)
          sum -= in[size_t(j - box)];
      }
    }
  };
  for (int round = 0; round < 3; ++round) {
    pass(height, width, [&](int y, int x) -> float& { return alpha[size_t(y * width + x)]; });
    pass(width, height, [&](int x, int y) -> float& { return alpha[size_t(y * width + x)]; });
  }
}

QImage shadowImage(const QImage& source, const Shadow& shadow) {
  const int w = source.width(), h = source.height();
  std::vector<float> alpha(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    for (int x = 0; x < w; ++x)
      alpha[size_t(y * w + x)] = float(qAlpha(row[x]));
  }
  if (shadow.blurRadius > 0)
    blurAlpha(alpha, w, h, shadow.blurRadius * source.devicePixelRatio());
  QImage result(w, h, QImage::Format_ARGB32_Premultiplied);
  result.setDevicePixelRatio(source.devicePixelRatio());
  const QColor c = shadow.color.toRgb();
  for (int y = 0; y < h; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(result.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const double a = alpha[size_t(y * w + x)] / 255.0 * c.alphaF();
      row[x] = qRgba(int(c.red() * a + 0.5), int(c.green() * a + 0.5), int(c.blue() * a + 0.5),
                     int(a * 255 + 0.5));
    }
  }
  return result;
}
} // namespace

// --- Gradient -------------------------------------------------------------------------------

Gradient::Gradient(QList<QColor> colors, QList<double> locations)
    : colors_(std::move(colors)), locations_(std::move(locations)) {}

Gradient Gradient::between(QColor start, QColor end) { return Gradient({start, end}, {0.0, 1.0}); }

QColor blendedColor(const QColor& a, const QColor& b, double fraction) {
  const QColor x = a.toRgb(), y = b.toRgb();
  auto mix = [fraction](double p, double q) { return p + (q - p) * fraction; };
  return QColor::fromRgbF(float(mix(x.redF(), y.redF())), float(mix(x.greenF(), y.greenF())),
                          float(mix(x.blueF(), y.blueF())), float(mix(x.alphaF(), y.alphaF())));
}

// --- Layers -----------------------------------------------------------------------------------

struct GraphicsContext::Layer {
  QImage image;
  std::unique_ptr<QPainter> painter;
  std::optional<Shadow> shadow;
  double alpha = 1.0;

  Layer(QPainter* over, std::optional<Shadow> castShadow) : shadow(std::move(castShadow)) {
    QPaintDevice* device = over->device();
    const qreal ratio = device->devicePixelRatioF();
    image = QImage(int(std::ceil(device->width() * ratio)),
                   int(std::ceil(device->height() * ratio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    alpha = over->opacity();
    painter = std::make_unique<QPainter>(&image);
    painter->setRenderHints(over->renderHints());
    painter->setTransform(over->transform());
    if (over->hasClipping())
      painter->setClipPath(over->clipPath());
  }

  // Puts the layer down on `target`, with its shadow first.
  void compose(QPainter* target) {
    painter->end();
    target->save();
    target->resetTransform();
    target->setOpacity(alpha);
    if (shadow) {
      const QImage cast = shadowImage(image, *shadow);
      target->drawImage(QPointF(shadow->offset.x(), -shadow->offset.y()), cast);
    }
    target->drawImage(QPointF(0, 0), image);
    target->restore();
  }
};

// --- Context ----------------------------------------------------------------------------------

GraphicsContext::GraphicsContext(QPainter* painter, double height)
    : painter_(painter), height_(height) {
  painter_->save();
  painter_->setRenderHint(QPainter::Antialiasing, true);
  painter_->setRenderHint(QPainter::TextAntialiasing, true);
  painter_->setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter_->translate(0, height);
  painter_->scale(1, -1);
  states_.push_back(State{});
}

GraphicsContext::~GraphicsContext() {
  while (!layers_.empty())
    endTransparencyLayer();
  painter_->restore();
}

GraphicsContext* GraphicsContext::current() { return currentContext; }

GraphicsContext::Scope::Scope(GraphicsContext& context) : previous_(currentContext) {
  currentContext = &context;
}

GraphicsContext::Scope::~Scope() { currentContext = previous_; }

QPainter* GraphicsContext::painter() const { return activePainter(); }

QPainter* GraphicsContext::activePainter() const {
  return layers_.empty() ? painter_ : layers_.back()->painter.get();
}

void GraphicsContext::saveState() {
  activePainter()->save();
  states_.push_back(states_.back());
}

void GraphicsContext::restoreState() {
  if (states_.size() <= 1)
    return;
  activePainter()->restore();
  states_.pop_back();
}

void GraphicsContext::translate(double dx, double dy) { activePainter()->translate(dx, dy); }

void GraphicsContext::scale(double sx, double sy) { activePainter()->scale(sx, sy); }

void GraphicsContext::rotate(double degrees) { activePainter()->rotate(degrees); }

void GraphicsContext::clip(const BezierPath& path) {
  activePainter()->setClipPath(path.painterPath(), Qt::IntersectClip);
}

void GraphicsContext::clipToRect(const QRectF& rect) {
  activePainter()->setClipRect(rect.normalized(), Qt::IntersectClip);
}

void GraphicsContext::setAlpha(double alpha) { activePainter()->setOpacity(alpha); }

void GraphicsContext::setCompositionMode(QPainter::CompositionMode mode) {
  activePainter()->setCompositionMode(mode);
}

void GraphicsContext::setShadow(const Shadow& shadow) { states_.back().shadow = shadow; }

void GraphicsContext::clearShadow() { states_.back().shadow.reset(); }

void GraphicsContext::beginTransparencyLayer() {
  QPainter* over = activePainter();
  layers_.push_back(std::make_unique<Layer>(over, states_.back().shadow));
  // Inside the layer shapes cast no shadow of their own.
  states_.push_back(State{});
}

void GraphicsContext::endTransparencyLayer() {
  if (layers_.empty())
    return;
  states_.pop_back();
  std::unique_ptr<Layer> layer = std::move(layers_.back());
  layers_.pop_back();
  layer->compose(activePainter());
}

template <typename Paint> void GraphicsContext::paintWithShadow(Paint paint) {
  if (!states_.back().shadow) {
    paint(activePainter());
    return;
  }
  Layer layer(activePainter(), states_.back().shadow);
  paint(layer.painter.get());
  layer.compose(activePainter());
}

void GraphicsContext::fill(const BezierPath& path, const QColor& color) {
  paintWithShadow([&](QPainter* p) { p->fillPath(path.painterPath(), color); });
}

void GraphicsContext::fillRect(const QRectF& rect, const QColor& color) {
  fill(BezierPath::rect(rect), color);
}

void GraphicsContext::stroke(const BezierPath& path, const QColor& color, double lineWidth,
                             Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
  QPen pen(color, lineWidth, Qt::SolidLine, cap, join);
  paintWithShadow([&](QPainter* p) { p->strokePath(path.painterPath(), pen); });
}

void GraphicsContext::strokePath(const BezierPath& path, const QColor& color, Qt::PenCapStyle cap) {
  QPen pen(color, path.lineWidth(), Qt::SolidLine, cap, path.lineJoinStyle());
  pen.setMiterLimit(path.penMiterLimit());
  paintWithShadow([&](QPainter* p) { p->strokePath(path.painterPath(), pen); });
}

void GraphicsContext::drawLinearGradient(const Gradient& gradient, const BezierPath& path,
                                         double angle) {
  const QRectF b = path.bounds();
  const double radians = angle * M_PI / 180.0;
  const QPointF direction(std::cos(radians), std::sin(radians));
  const double half =
      std::fabs(b.width() / 2 * direction.x()) + std::fabs(b.height() / 2 * direction.y());
  QLinearGradient linear(b.center() - direction * half, b.center() + direction * half);
  // QGradient keeps one colour per location: a second colour at the same
  // location goes just after it, so both sides of the step stay.
  double previous = -1.0;
  for (qsizetype i = 0; i < gradient.colors().size(); ++i) {
    double location = std::clamp(gradient.locations().value(i), 0.0, 1.0);
    if (location <= previous)
      location = std::min(1.0, previous + 1e-9);
    linear.setColorAt(location, gradient.colors()[i]);
    previous = location;
  }
  paintWithShadow([&](QPainter* p) { p->fillPath(path.painterPath(), QBrush(linear)); });
}

void GraphicsContext::drawImage(const QImage& image, const QRectF& rect) {
  paintWithShadow([&](QPainter* p) {
    p->save();
    p->translate(rect.left(), rect.bottom());
    p->scale(1, -1);
    p->drawImage(QRectF(0, 0, rect.width(), rect.height()), image);
    p->restore();
  });
}

void GraphicsContext::drawText(const QString& text, const QRectF& rect, const QFont& font,
                               const QColor& color, Qt::Alignment alignment) {
  paintWithShadow([&](QPainter* p) {
    p->save();
    // Text runs downwards from the rectangle's top edge, upright.
    p->translate(rect.left(), rect.bottom());
    p->scale(1, -1);
    p->setFont(font);
    p->setPen(color);
    p->drawText(QRectF(0, 0, rect.width(), rect.height()),
                int(alignment | Qt::AlignTop) | Qt::TextWordWrap, text);
    p->restore();
  });
}

QSizeF GraphicsContext::measureText(const QString& text, const QFont& font, double width) {
  const QFontMetricsF metrics(font);
  return metrics
      .boundingRect(QRectF(0, 0, width, 1.0e6), int(Qt::AlignLeft | Qt::TextWordWrap), text)
      .size();
}

QRectF GraphicsContext::deviceRect(const QRectF& rect) const {
  return QRectF(rect.x(), height_ - rect.y() - rect.height(), rect.width(), rect.height());
}

} // namespace kr
