#pragma once

#include <QString>
#include <QUrl>

namespace kr {

struct Alert;

// Hands an address to whatever the desktop opens it with (a browser, a task
// manager, the file manager). Start-up installs the desktop's opener, which
// tells the user in an alert when nothing could open the address, however
// late that turns out; until then, and in the quiet variant, one console line
// says so.
class UrlOpenerAPI {
public:
  virtual ~UrlOpenerAPI() = default;

  // False when the address could not even be handed on; a later failure is
  // told by the opener itself.
  virtual bool open(const QUrl& url) = 0;
  // The same, but a failure only goes to the console: for links whose
  // application may well not be on this computer.
  virtual bool openQuietly(const QUrl& url) { return open(url); }

  static UrlOpenerAPI& shared();
  // Not owned; nullptr restores the console opener.
  static void install(UrlOpenerAPI* opener);
  // The console line for an address nothing took.
  static QString notOpenedLine(const QUrl& url);
  // The alert naming what could not be opened, its address or path ready to
  // be copied; `reason`, when known, says why.
  static Alert notOpenedAlert(const QUrl& url, const QString& reason = {});
  // Shows that alert (and writes the console line) now.
  static void tellNotOpened(const QUrl& url, const QString& reason = {});
  // The installed opener, or nullptr before start-up installs one.
  static UrlOpenerAPI* installed();
};

} // namespace kr
