#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <memory>

namespace kr {

class GraphicsContext;

// An image of a fixed size whose content is a drawing handler: nothing is
// drawn when it is made; the handler runs each time the image is drawn, at the
// resolution of the place it is drawn in.
class DrawnImage {
public:
  // The handler draws into the current graphics context within (0, 0, w, h).
  using Handler = std::function<void(const QRectF& frame)>;

  DrawnImage() = default;
  DrawnImage(QSizeF size, Handler handler);

  bool isNull() const { return !shared_; }
  QSizeF size() const { return shared_ ? shared_->size : QSizeF(); }

  // Draws the image scaled into `rect` (drawing coordinates) of `context`.
  void draw(GraphicsContext& context, const QRectF& rect) const;
  // Renders the image into pixels, `scale` pixels per unit.
  QImage toImage(double scale = 1.0) const;

  // Two values are the same image when they share one handler.
  bool isSameImage(const DrawnImage& other) const { return shared_ == other.shared_; }

private:
  struct Shared {
    QSizeF size;
    Handler handler;
  };
  std::shared_ptr<const Shared> shared_;
};

} // namespace kr
