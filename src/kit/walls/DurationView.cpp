#include "kit/walls/DurationView.h"

namespace kr {

DurationView::DurationView(QWidget* parent) : Wall(parent) {
  setBackgroundDrawingFunc([this](const QRectF&) { drawReadOut(); });
}

DurationViewStyleKit::Texts DurationView::textsFor(qint64 seconds, bool displayTime) {
  if (!displayTime)
    return {QString(), QString(), QStringLiteral("--"), QStringLiteral("--")};
  const qint64 minutes = seconds / 60;
  const auto twoDigits = [](qint64 value) { return QString::asprintf("%02lld", value); };
  if (seconds < 3600)
    return {QStringLiteral("M"), QStringLiteral("S"), twoDigits(minutes),
            twoDigits(seconds - 60 * minutes)};
  return {QStringLiteral("H"), QStringLiteral("M"), twoDigits(seconds / 3600),
          twoDigits(minutes % 60)};
}

DurationViewStyleKit::Texts DurationView::texts() const { return textsFor(seconds, displayTime); }

void DurationView::drawReadOut() {
  DurationViewStyleKit::drawDurationView(texts(), sizes(), disabled);
}

} // namespace kr
