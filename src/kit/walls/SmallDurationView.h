#pragma once

#include "kit/walls/DurationView.h"

#include <QColor>

namespace kr {

// The small read-out of the rest screen.
class SmallDurationView final : public DurationView {
public:
  explicit SmallDurationView(QWidget* parent = nullptr) : DurationView(parent) {}
  DurationViewStyleKit::Sizes sizes() const override { return {32.0, 5.0, 10.0}; }
  QSize sizeHint() const override { return {100, 40}; }

  // Paints `color` (opaque) behind the digits itself, so that new digits
  // repaint the read-out alone, not the walls behind it; without it they
  // show through.
  void setBackdrop(const QColor& color);

protected:
  void drawReadOut() override;

private:
  QColor backdrop_;
};

} // namespace kr
