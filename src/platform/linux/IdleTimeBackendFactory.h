#pragma once

#include "platform/services/IdleTimeBackend.h"

#include <QStringList>

#include <memory>

namespace kr {

// Chooses the first idle-time source that answers: the X server, then GNOME's
// idle monitor, then the freedesktop screen saver service.
class IdleTimeBackendFactory {
public:
  // None when no source works; `why` then lists the reason of each.
  static std::unique_ptr<IdleTimeBackend> create(QStringList* why);
};

} // namespace kr
