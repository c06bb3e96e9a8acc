#include "window/DefineDurationTimeIndicatorWall.h"

#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "platform/FatalError.h"

#include <limits>

namespace kr {

namespace {

qint32 toInt32(qint64 value) {
  KR_ASSERT(value >= std::numeric_limits<qint32>::min() &&
                value <= std::numeric_limits<qint32>::max(),
            QStringLiteral("a length of %1 does not fit a 32-bit integer").arg(value));
  return static_cast<qint32>(value);
}

} // namespace

DefineDurationTimeIndicatorWall::DefineDurationTimeIndicatorWall(QWidget* parent)
    : TimeReadoutWall(QStringLiteral("Duration:"), QStringLiteral("00"), QStringLiteral("Minutes"),
                      QStringLiteral("Ends:"), QString(), parent, Arrangement::flowing),
      obtainDurationInSecondsFunc([] { return toInt32(DataModel::shared().durationInSeconds()); }),
      obtainDurationInMinutesFunc(
          [] { return toInt32(DataModel::shared().durationInSeconds() / 60); }) {}

void DefineDurationTimeIndicatorWall::updateState() {
  showFirst(QString::number(obtainDurationInMinutesFunc()));
  showSecondAsTimeOfDay(Clock::nowAsDate().addSecs(obtainDurationInSecondsFunc()));
}

} // namespace kr
