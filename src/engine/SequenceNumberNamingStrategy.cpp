#include "engine/SequenceNumberNamingStrategy.h"

namespace kr {

QString SequenceNumberNamingStrategy::generateIDFor(const QDateTime&, qint64 sequenceNumber) const {
  return pathWithSuffix(QString::asprintf(" %06lld", static_cast<long long>(sequenceNumber)));
}

} // namespace kr
