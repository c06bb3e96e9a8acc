#include "engine/FullTimeSlice.h"

#include "platform/RtfdPackage.h"

#include <cmath>

namespace kr {

namespace {
const QString& dummy() {
  static const QString text = QStringLiteral("dummy");
  return text;
}

// The RTFD data of an empty text, made once per process.
const QByteArray& emptyRtfd() {
  static const QByteArray data = RtfdPackage::toData(RichText());
  return data;
}
} // namespace

FullTimeSlice::FullTimeSlice()
    : uuid_(dummy()), objective_(dummy()), objectiveAsRTFD_(emptyRtfd()), endDate_(distantPast()) {
  setStartDate(distantPast());
}

const QStringList& FullTimeSlice::extractedLinks() const {
  if (cachedLinks_)
    return *cachedLinks_;
  QStringList links;
  if (const std::optional<RichText> text = RtfdPackage::fromData(objectiveAsRTFD_)) {
    for (const RichText::Run& run : text->runs()) {
      if (!run.format.link.isEmpty() && !links.contains(run.format.link))
        links.append(run.format.link);
    }
  }
  cachedLinks_ = std::move(links);
  return *cachedLinks_;
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
