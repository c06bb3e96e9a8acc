#include "window/QuarterHourBubbles.h"

#include "window/BubbleViewWithArrowOnTop.h"

#include "platform/LocalTimeZone.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace kr {

QuarterHourBubbles::QuarterHourBubbles(const QDateTime& now, int minimumMinutes) {
  const int minute = now.time().minute();
  const int quarter = minute / 15 * 15;
  QDateTime first = LocalTimeZone::dateTime(now.date(), QTime(now.time().hour(), quarter));
  first = first.addSecs(15 * 60);
  int d1 = 15 - (minute - quarter);
  if (d1 < minimumMinutes) {
    d1 = 30 - (minute - quarter);
    first = first.addSecs(15 * 60);
  }
  for (std::size_t k = 0; k < 4; ++k) {
    minutes_[k] = d1 + 15 * int(k);
    quarterHours_[k] = first.addSecs(qint64(k) * 15 * 60);
    titleDates_[k] = now.addSecs(qint64(minutes_[k]) * 60);
  }
}

QString QuarterHourBubbles::title(int index) const {
  // The pattern is made once: made anew, it was compiled every second.
  static const QRegularExpression seconds(QStringLiteral("[:.]ss?"));
  QString format = QLocale().timeFormat(QLocale::ShortFormat);
  format.remove(seconds);
  return QLocale().toString(titleDates_[std::size_t(index)].time(), format);
}

void QuarterHourBubbles::place(const std::array<BubbleViewWithArrowOnTop*, 4>& bubbles,
                               const std::array<int, 4>& minutes, const Placement& placement) {
  const double tick = placement.tickDelta;
  const double inset = placement.edgeInset;
  const double c1 = std::floor(placement.offset + (minutes[0] - placement.minSliderValue) * tick);
  std::array<double, 4> x{};
  // Each arrow is set once: a bubble repaints whenever its arrow moves, and
  // an arrow set to the middle and then moved back would repaint every second.
  std::array<double, 4> middle{};
  for (std::size_t k = 0; k < 4; ++k) {
    const double half = bubbles[k]->width() * 0.5;
    x[k] = std::floor(c1 + tick * 15 * double(k) - half);
    middle[k] = std::floor(half);
  }
  if (x[0] < inset) {
    middle[0] += x[0] - inset;
    x[0] = inset;
  }
  const double w4 = bubbles[3]->width();
  if (placement.width - inset < x[3] + w4) {
    middle[3] += x[3] + w4 - placement.width + inset;
    x[3] = placement.width - w4 - inset;
  }
  for (std::size_t k = 0; k < 4; ++k) {
    bubbles[k]->setMiddleX(middle[k]);
    bubbles[k]->move(int(x[k]), bubbles[k]->y());
    bubbles[k]->setVisible(k < 3 || minutes[3] <= 60);
  }
}

} // namespace kr
