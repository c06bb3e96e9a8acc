#pragma once

#include "platform/services/UrlOpenerAPI.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QProcess;

namespace kr {

// Opens addresses through the desktop's opener command (xdg-open), run
// without waiting for it: its exit status says later whether a program took
// the address, and when none did the user is told in one alert. Addresses of
// a scheme the program handles itself can be routed to a handler instead, so
// a link of our own needs no round trip through the desktop.
class DesktopUrlOpener final : public UrlOpenerAPI {
public:
  using Handler = std::function<void(const QUrl& url)>;

  // How long an opener that has not ended is still listened to: one that
  // runs the browser in the foreground has handed the address on.
  static constexpr int kPatienceMs = 20000;

  // `command`: the opener, looked up on PATH; without it the desktop
  // services of the toolkit are asked (and trusted).
  explicit DesktopUrlOpener(QString command = QStringLiteral("xdg-open"));
  ~DesktopUrlOpener() override;

  bool open(const QUrl& url) override;
  bool openQuietly(const QUrl& url) override;
  // Addresses of `scheme` go to `handler`; an empty handler removes the route.
  void routeScheme(const QString& scheme, Handler handler);

  // Why the opener gave up, from its exit status.
  static QString reasonForExitCode(int code);

private:
  bool openUrl(const QUrl& url, bool tell);
  void notOpened(const QUrl& url, const QString& reason, bool tell);
  void release(QProcess* process);

  QString command_;
  QString scheme_;
  Handler handler_;
  QObject context_;
  std::vector<QProcess*> processes_;
};

} // namespace kr
