#include "platform/linux/HotKeyBackendFactory.h"

#include "platform/linux/x11/X11HotKeyBackend.h"
#include "platform/services/UnavailableHotKeyBackend.h"

#include <QGuiApplication>

namespace kr {

const QString HotKeyBackendFactory::kWaylandReason =
    QStringLiteral("Global shortcuts are not available on Wayland: the desktop lets no "
                   "application grab or watch keys.");

std::unique_ptr<HotKeyBackend> HotKeyBackendFactory::create(const KeyboardLayoutAPI** layout) {
  if (layout)
    *layout = nullptr;
  QString why;
  if (auto x11 = X11HotKeyBackend::create(&why)) {
    if (layout)
      *layout = &x11->layout();
    return x11;
  }
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
      qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
    return std::make_unique<UnavailableHotKeyBackend>(kWaylandReason);
  return std::make_unique<UnavailableHotKeyBackend>(
      QStringLiteral("Global shortcuts are not available: %1.").arg(why));
}

} // namespace kr
