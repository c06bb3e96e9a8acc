#pragma once

#include <QUrl>

namespace kr {

// Hands an address to whatever the desktop opens it with (a browser, a task
// manager, the file manager). Start-up installs the desktop's opener; until
// then, and when nothing takes the address, one console line says so and the
// answer is false.
class UrlOpenerAPI {
public:
  virtual ~UrlOpenerAPI() = default;

  // Whether something took the address.
  virtual bool open(const QUrl& url) = 0;

  static UrlOpenerAPI& shared();
  // Not owned; nullptr restores the console opener.
  static void install(UrlOpenerAPI* opener);
  // The console line for an address nothing took.
  static QString notOpenedLine(const QUrl& url);
  // The installed opener, or nullptr before start-up installs one.
  static UrlOpenerAPI* installed();
};

} // namespace kr
