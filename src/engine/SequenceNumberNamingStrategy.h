#pragma once

#include "engine/BackingStoreNamingStrategy.h"

namespace kr {

// Numbered pages: "<root> 000012.rtfd". The date is not used.
class SequenceNumberNamingStrategy final : public BackingStoreNamingStrategy {
public:
  QString generateIDFor(const QDateTime& date, qint64 sequenceNumber) const override;
};

} // namespace kr
