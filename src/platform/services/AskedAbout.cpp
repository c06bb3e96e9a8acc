#include "platform/services/AskedAbout.h"

#include "platform/QnLog.h"

namespace kr {

AskedAbout::AskedAbout(QString what, Identity identity)
    : what_(std::move(what)), identity_(std::move(identity)),
      taken_(identity_ ? identity_() : QVariant()) {}

bool AskedAbout::stillHolds() const {
  if (!identity_ || identity_() == taken_)
    return true;
  platformLog(QStringLiteral("%1 changed while the question about it was open: the answer is "
                             "not acted on")
                  .arg(what_));
  return false;
}

} // namespace kr
