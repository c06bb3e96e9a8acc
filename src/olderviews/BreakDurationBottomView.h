#pragma once

#include "olderviews/TimeControlBottomView.h"

namespace kr {

// The earlier duration control for the break length.
class BreakDurationBottomView : public TimeControlBottomView {
  Q_OBJECT

public:
  qint64 duration() const override;
  qint64 durationInSeconds() const override;
  void setDurationInMinutes(int minutes) override;
  void registerListener() override;

private:
  friend class OlderViewRegistry;
  explicit BreakDurationBottomView(QWidget* parent = nullptr);

  bool listening_ = false;
};

} // namespace kr
