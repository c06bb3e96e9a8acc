#pragma once

#include "engine/BackingStoreNamingStrategy.h"

namespace kr {

// One file per week and machine, named after the week's Monday:
// "<root> Week starting 2020-03-02 (a4836e8b9f2).rtfd".
class WeeklyNamingStrategy final : public BackingStoreNamingStrategy {
public:
  QString generateIDFor(const QDateTime& date, qint64 sequenceNumber) const override;
  bool ownsFileName(const QString& fileName) const override {
    return namedForThisMachine(fileName);
  }
};

} // namespace kr
