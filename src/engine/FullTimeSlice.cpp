#include "engine/FullTimeSlice.h"

#include "platform/RtfdPackage.h"

#include <cmath>
#include <mutex>

namespace kr {

namespace {
const QString& dummy() {
  static const QString text = QStringLiteral("dummy");
  return text;
}

// Guards what records work out on first request.
std::mutex& lazyValuesMutex() {
  static std::mutex mutex;
  return mutex;
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

const QByteArray& FullTimeSlice::objectiveAsRTFD() const {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (!objectiveAsRTFDMade_) {
    objectiveAsRTFD_ = RtfdPackage::toData(*objectiveText_);
    objectiveAsRTFDMade_ = true;
  }
  return objectiveAsRTFD_;
}

void FullTimeSlice::setObjectiveAsRTFD(const QByteArray& data) {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  objectiveText_.reset();
  objectiveAsRTFD_ = data;
  objectiveAsRTFDMade_ = true;
}

std::optional<RichText> FullTimeSlice::objectiveRichText() const {
  {
    const std::lock_guard<std::mutex> lock(lazyValuesMutex());
    if (objectiveText_)
      return objectiveText_;
  }
  return RtfdPackage::fromData(objectiveAsRTFD());
}

void FullTimeSlice::setObjectiveText(const RichText& text) {
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  objective_ = text.plainText();
  objectiveText_ = text;
  objectiveAsRTFDMade_ = false;
}

const QStringList& FullTimeSlice::extractedLinks() const {
  {
    const std::lock_guard<std::mutex> lock(lazyValuesMutex());
    if (cachedLinks_)
      return *cachedLinks_;
  }
  const std::optional<RichText> text = objectiveRichText();
  QStringList links;
  if (text) {
    for (const RichText::Run& run : text->runs()) {
      if (!run.format.link.isEmpty() && !links.contains(run.format.link))
        links.append(run.format.link);
    }
  }
  const std::lock_guard<std::mutex> lock(lazyValuesMutex());
  if (!cachedLinks_)
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
