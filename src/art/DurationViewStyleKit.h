#pragma once

#include <QString>

namespace kr {

// The digital read-out of a duration: two groups of digits, each followed by
// a one-letter label, drawn into the current graphics context in the fixed
// boxes of a large (200 x 80) and a small (100 x 40) design canvas.
class DurationViewStyleKit {
public:
  DurationViewStyleKit() = delete;

  struct Texts {
    QString firstLabel;
    QString secondLabel;
    QString firstDigits;
    QString secondDigits;
  };
  struct Sizes {
    double digitSize;
    double labelBottomInset;
    double labelSize;
  };

  static void drawDurationView(const Texts& texts, const Sizes& sizes, bool disabled);
  static void drawSmallDurationView(const Texts& texts, const Sizes& sizes, bool disabled);
  // Grey 0.7 when disabled, else white.
  static double textGrey(bool disabled) { return disabled ? 0.7 : 1.0; }
};

} // namespace kr
