#pragma once

#include "platform/drawing/BezierPath.h"
#include "platform/drawing/DrawnImage.h"

#include <QString>

#include <functional>

namespace kr {

// Answers a text at drawing time (a button answers its current title).
using TextProvider = std::function<QString()>;

// What a drawing operation draws: an image, a path, a text or a text provider.
class DrawingAsset {
public:
  enum class Kind { image, path, text, textProvider };

  static DrawingAsset image(DrawnImage image);
  static DrawingAsset path(BezierPath path);
  static DrawingAsset text(QString text);
  static DrawingAsset textProvider(TextProvider provider);

  Kind kind() const { return kind_; }
  const DrawnImage& imageValue() const { return image_; }
  const BezierPath& pathValue() const { return path_; }
  const QString& textValue() const { return text_; }
  const TextProvider& textProviderValue() const { return provider_; }

private:
  Kind kind_ = Kind::text;
  DrawnImage image_;
  BezierPath path_;
  QString text_;
  TextProvider provider_;
};

} // namespace kr
