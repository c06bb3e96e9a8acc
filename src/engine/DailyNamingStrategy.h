#pragma once

#include "engine/BackingStoreNamingStrategy.h"

namespace kr {

// One file per day and machine: "<root> Day 2020-03-07 (a4836e8b9f2).rtfd".
class DailyNamingStrategy final : public BackingStoreNamingStrategy {
public:
  QString generateIDFor(const QDateTime& date, qint64 sequenceNumber) const override;
  bool ownsFileName(const QString& fileName) const override {
    return namedForThisMachine(fileName);
  }
};

} // namespace kr
