#pragma once

#include "platform/drawing/DrawnImage.h"

#include <QRectF>
#include <QString>

#include <functional>

namespace kr {

// One drawing closure of a brick: with a title, with an image, or plain.
class ButtonDrawingFuncType {
public:
  enum class Kind { text, image, plain };
  using TextFunc = std::function<void(const QRectF& frame, const QString& title)>;
  using ImageFunc = std::function<void(const QRectF& frame, const DrawnImage& image)>;
  using PlainFunc = std::function<void(const QRectF& frame)>;

  static ButtonDrawingFuncType text(TextFunc func);
  static ButtonDrawingFuncType image(ImageFunc func);
  static ButtonDrawingFuncType plain(PlainFunc func);

  Kind kind() const { return kind_; }
  const TextFunc& textFunc() const { return text_; }
  const ImageFunc& imageFunc() const { return image_; }
  const PlainFunc& plainFunc() const { return plain_; }

private:
  Kind kind_ = Kind::plain;
  TextFunc text_;
  ImageFunc image_;
  PlainFunc plain_;
};

} // namespace kr
