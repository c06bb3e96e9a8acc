#pragma once

#include "kit/bricks/PushButtonBrick.h"

namespace kr {

// A round window control of the main window's title band, drawn with the
// style kit's title-bar button and a glyph that says what it does.
class TitleBarButton final : public PushButtonBrick {
  Q_OBJECT

public:
  enum class Glyph { close, miniaturize };

  static constexpr int kWidth = 14;
  static constexpr int kHeight = 16;

  explicit TitleBarButton(Glyph glyph, QWidget* parent = nullptr);

  Glyph glyph() const { return glyph_; }

private:
  void draw(const QRectF& frame, bool pressed) const;

  Glyph glyph_;
};

} // namespace kr
