#pragma once

#include "platform/services/IdleTimeBackend.h"

#include <memory>

namespace kr {

// The X server's idle time (MIT-SCREEN-SAVER extension), read over Qt's own
// connection to the display.
class X11IdleTimeBackend final : public IdleTimeBackend {
public:
  // None when the application does not run on X11 or the server lacks the
  // extension; `why` then says which.
  static std::unique_ptr<X11IdleTimeBackend> create(QString* why);

  QString name() const override { return QStringLiteral("X11 screen saver extension"); }
  std::optional<quint64> idleMilliseconds() override;

private:
  X11IdleTimeBackend(void* connection, quint32 root) : connection_(connection), root_(root) {}

  void* connection_;
  quint32 root_;
};

} // namespace kr
