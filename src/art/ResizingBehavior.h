#pragma once

#include <QRectF>
#include <QSizeF>

#include <optional>

namespace kr {

struct Shadow;
class GraphicsContext;

// How a drawing designed on a fixed canvas is mapped into a frame: `fit` and
// `fill` keep its proportions (the smaller and the larger scale), `stretch`
// scales each axis on its own, `center` keeps the design size. The result is
// centred in the frame.
class ResizingBehavior {
public:
  enum Case : int { fit = 0, fill = 1, stretch = 2, center = 3 };

  constexpr ResizingBehavior(Case value) : raw_(value) {}
  // The case for 0 to 3, no value for any other number.
  static std::optional<ResizingBehavior> fromRawValue(int raw);
  // For callers that pass a raw value through: a value above 3 is their error
  // and stops `apply` once it gets past its two shortcuts.
  static ResizingBehavior uncheckedFromRawValue(int raw);

  int rawValue() const { return raw_; }
  bool operator==(const ResizingBehavior& other) const { return raw_ == other.raw_; }

  // The rectangle into which the design canvas `rect` is drawn inside `target`.
  QRectF apply(const QRectF& rect, const QRectF& target) const;

private:
  struct Unchecked {};
  ResizingBehavior(int raw, Unchecked) : raw_(raw) {}
  int raw_;
};

size_t qHash(const ResizingBehavior& behavior, size_t seed = 0);

// While alive, the context draws a W x H design canvas mapped into a frame.
// Shadows given in canvas units are scaled with `scaled`.
class ResizedDrawing {
public:
  ResizedDrawing(GraphicsContext& context, QSizeF canvas, const QRectF& frame,
                 ResizingBehavior behavior);
  ~ResizedDrawing();
  ResizedDrawing(const ResizedDrawing&) = delete;
  ResizedDrawing& operator=(const ResizedDrawing&) = delete;

  QRectF resized() const { return resized_; }
  // min(resized width / W, resized height / H)
  double shadowScale() const { return shadowScale_; }
  Shadow scaled(const Shadow& shadow) const;

private:
  GraphicsContext& context_;
  QRectF resized_;
  double shadowScale_;
};

} // namespace kr
