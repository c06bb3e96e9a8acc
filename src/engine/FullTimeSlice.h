#pragma once

#include "engine/RawTimeSlice.h"
#include "platform/RichText.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace kr {

// What the log book needs of one logged time slice, on top of the raw record.
class FullTimeSlice : public RawTimeSlice {
public:
  FullTimeSlice();

  const QString& uuid() const { return uuid_; }
  void setUuid(const QString& uuid) { uuid_ = uuid; }
  const QString& objective() const { return objective_; }
  void setObjective(const QString& objective) { objective_ = objective; }
  // The objective as RTFD data. When it was given as rich text, the data is
  // made on the first request (the log book asks for few of many records).
  const QByteArray& objectiveAsRTFD() const;
  void setObjectiveAsRTFD(const QByteArray& data);
  // The objective's rich text, read from the RTFD data when it was given as
  // data; none when that data cannot be read.
  std::optional<RichText> objectiveRichText() const;
  // Sets the objective's rich text and, from it, its plain text.
  void setObjectiveText(const RichText& text);
  const QDateTime& endDate() const { return endDate_; }
  void setEndDate(const QDateTime& date) { endDate_ = date; }

  // Stores the worked seconds as the log gives them: actualDuration() holds
  // their absolute value, the raw record made by toRawTimeSlice() the sign.
  void setActualDurationAsLogged(double seconds);
  double actualDurationAsLogged() const { return actualDurationAsLogged_; }

  // The distinct link values of the objective's rich text, in order of first
  // appearance. Computed on the first call and kept.
  const QStringList& extractedLinks() const;

  // The raw record of the same entry (signed worked seconds, no success).
  RawTimeSlicePtr toRawTimeSlice() const;

private:
  QString uuid_;
  QString objective_;
  std::optional<RichText> objectiveText_;
  mutable QByteArray objectiveAsRTFD_;
  mutable bool objectiveAsRTFDMade_ = true;
  QDateTime endDate_;
  double actualDurationAsLogged_ = 0.0;
  mutable std::optional<QStringList> cachedLinks_;
};

using FullTimeSlicePtr = std::shared_ptr<FullTimeSlice>;

} // namespace kr
