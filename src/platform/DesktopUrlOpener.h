#pragma once

#include "platform/UrlOpenerAPI.h"

#include <QString>

#include <functional>

namespace kr {

// Opens addresses through the desktop (QDesktopServices). Addresses of a
// scheme the program handles itself can be routed to a handler instead, so a
// link of our own needs no round trip through the desktop.
class DesktopUrlOpener final : public UrlOpenerAPI {
public:
  using Handler = std::function<void(const QUrl& url)>;

  bool open(const QUrl& url) override;
  // Addresses of `scheme` go to `handler`; an empty handler removes the route.
  void routeScheme(const QString& scheme, Handler handler);

private:
  QString scheme_;
  Handler handler_;
};

} // namespace kr
