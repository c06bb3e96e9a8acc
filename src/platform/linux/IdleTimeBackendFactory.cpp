#include "platform/linux/IdleTimeBackendFactory.h"

#include "platform/linux/dbus/DBusIdleTimeBackend.h"
#include "platform/linux/x11/X11IdleTimeBackend.h"

namespace kr {

std::unique_ptr<IdleTimeBackend> IdleTimeBackendFactory::create(QStringList* why) {
  QString reason;
  if (auto x11 = X11IdleTimeBackend::create(&reason))
    return x11;
  if (why)
    why->append(reason);
  if (auto mutter = DBusIdleTimeBackend::createMutter(&reason))
    return mutter;
  if (why)
    why->append(reason);
  if (auto screenSaver = DBusIdleTimeBackend::createFreedesktopScreenSaver(&reason))
    return screenSaver;
  if (why)
    why->append(reason);
  return nullptr;
}

} // namespace kr
