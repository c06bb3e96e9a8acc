#include "engine/FullTimeSlice.h"

#include <cmath>

namespace kr {

namespace {
const QString& dummy() {
  static const QString text = QStringLiteral("dummy");
  return text;
}
} // namespace

FullTimeSlice::FullTimeSlice() : uuid_(dummy()), objective_(dummy()), endDate_(distantPast()) {
  setStartDate(distantPast());
}

void FullTimeSlice::setActualDurationAsLogged(double seconds) {
  actualDurationAsLogged_ = seconds;
  setActualDuration(std::fabs(seconds));
}

RawTimeSlicePtr FullTimeSlice::toRawTimeSlice() const {
  auto raw = std::make_shared<RawTimeSlice>(static_cast<const RawTimeSlice&>(*this));
  raw->setActualDuration(actualDurationAsLogged_);
  raw->setSuccess(false);
  return raw;
}

} // namespace kr
