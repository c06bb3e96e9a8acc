#pragma once

#include <QDateTime>
#include <QString>

#include <array>

namespace kr {

class BubbleViewWithArrowOnTop;

// The four quarter hours ahead of a moment, as the bubbles above a duration
// slider name them, and the placing of those bubbles over the slider.
class QuarterHourBubbles {
public:
  // The next four quarter hours after `now`; a quarter hour fewer than
  // `minimumMinutes` away is skipped.
  QuarterHourBubbles(const QDateTime& now, int minimumMinutes);

  // Whole minutes from now to each quarter hour (the first 1 to 15, or 16
  // to 30 where the first was skipped; each next one 15 more).
  const std::array<int, 4>& minutes() const { return minutes_; }
  // Each quarter hour, at second 0.
  const std::array<QDateTime, 4>& quarterHours() const { return quarterHours_; }
  // Now plus each bubble's minutes: the times the titles show.
  const std::array<QDateTime, 4>& titleDates() const { return titleDates_; }
  // A bubble's title: its title date in the locale's short time, without seconds.
  QString title(int index) const;

  // How the bubbles stand over a slider of `width` points: the slider's
  // minimum `minSliderValue` lies at x `offset`, and `tickDelta` points
  // make a minute. Each arrow points at its bubble's minutes; a bubble that
  // would cross `edgeInset` from either edge is pulled inside and its arrow
  // moved to keep pointing there; the fourth shows only up to 60 minutes.
  struct Placement {
    double offset = 0.0;
    double tickDelta = 0.0;
    double minSliderValue = 2.0;
    double width = 0.0;
    double edgeInset = 0.0;
  };
  static void place(const std::array<BubbleViewWithArrowOnTop*, 4>& bubbles,
                    const std::array<int, 4>& minutes, const Placement& placement);

private:
  std::array<int, 4> minutes_{};
  std::array<QDateTime, 4> quarterHours_{};
  std::array<QDateTime, 4> titleDates_{};
};

} // namespace kr
