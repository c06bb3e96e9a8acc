#pragma once

#include "kit/walls/Wall.h"

#include "art/DurationViewStyleKit.h"

namespace kr {

// Seconds as two groups of two digits with a letter under each: minutes and
// seconds below one hour, hours and minutes from one hour on. The owner sets
// the values and asks for a redraw.
class DurationView : public Wall {
public:
  explicit DurationView(QWidget* parent = nullptr);

  qint64 seconds = 0;
  bool disabled = false;
  bool displayTime = true;

  // The four texts drawn for the current values.
  DurationViewStyleKit::Texts texts() const;
  static DurationViewStyleKit::Texts textsFor(qint64 seconds, bool displayTime);

  virtual DurationViewStyleKit::Sizes sizes() const { return {68.0, 12.0, 12.0}; }
  QSize sizeHint() const override { return {200, 80}; }

protected:
  virtual void drawReadOut();
};

} // namespace kr
