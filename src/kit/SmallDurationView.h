#pragma once

#include "kit/DurationView.h"

namespace kr {

// The small read-out of the rest screen.
class SmallDurationView final : public DurationView {
public:
  explicit SmallDurationView(QWidget* parent = nullptr) : DurationView(parent) {}
  DurationViewStyleKit::Sizes sizes() const override { return {32.0, 5.0, 10.0}; }
  QSize sizeHint() const override { return {100, 40}; }

protected:
  void drawReadOut() override;
};

} // namespace kr
