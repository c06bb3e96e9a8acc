#pragma once

#include <QUrl>

namespace kr {

// Opens addresses outside the program: web pages and local files in the
// desktop's browser, the program's own links through its URL handler. The
// shell installs the desktop implementation at start-up; until then a request
// is written to the console and answered false.
class UrlOpenerAPI {
public:
  virtual ~UrlOpenerAPI() = default;

  // Whether the address was handed on.
  virtual bool open(const QUrl& url) = 0;

  static UrlOpenerAPI& shared();
  // Not owned; nullptr restores the console opener.
  static void install(UrlOpenerAPI* opener);
  static UrlOpenerAPI* installed();
};

} // namespace kr
