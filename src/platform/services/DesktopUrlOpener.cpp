#include "platform/services/DesktopUrlOpener.h"

#include "platform/QnLog.h"
#include "platform/services/AlertPresenterAPI.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace kr {

namespace {
// Openers still running when the program ends: left to finish on their own
// (a browser run in the foreground must not be killed with us).
// Never destroyed: a process object destroyed at exit would end the browser it
// is starting.
std::vector<QProcess*>& leftRunning() {
  static auto* processes = new std::vector<QProcess*>;
  return *processes;
}
} // namespace

DesktopUrlOpener::DesktopUrlOpener(QString command) : command_(std::move(command)) {}

DesktopUrlOpener::~DesktopUrlOpener() {
  for (QProcess* process : processes_) {
    process->disconnect();
    if (process->state() == QProcess::NotRunning) {
      delete process;
    } else {
      // A browser still starting stays: its process object outlives us.
      process->setParent(nullptr);
      leftRunning().push_back(process);
    }
  }
}

bool DesktopUrlOpener::open(const QUrl& url) { return openUrl(url, true); }

bool DesktopUrlOpener::openQuietly(const QUrl& url) { return openUrl(url, false); }

void DesktopUrlOpener::routeScheme(const QString& scheme, Handler handler) {
  scheme_ = scheme;
  handler_ = std::move(handler);
}

QString DesktopUrlOpener::reasonForExitCode(int code) {
  switch (code) {
  case 1:
    return QStringLiteral("the address was not understood");
  case 2:
    return QStringLiteral("it does not exist");
  case 3:
    return QStringLiteral("no program is set up to open it");
  case 4:
    return QStringLiteral("the program meant to open it failed");
  default:
    return QStringLiteral("the opener ended with status %1").arg(code);
  }
}

bool DesktopUrlOpener::openUrl(const QUrl& url, bool tell) {
  if (handler_ && url.scheme().compare(scheme_, Qt::CaseInsensitive) == 0) {
    handler_(url);
    return true;
  }
  if (!url.isValid() || url.isEmpty()) {
    notOpened(url, QStringLiteral("it is not a valid address"), tell);
    return false;
  }
  const QString program = QStandardPaths::findExecutable(command_);
  if (program.isEmpty()) {
    if (QDesktopServices::openUrl(url))
      return true;
    notOpened(url, {}, tell);
    return false;
  }
  // Owned by the opener, so that one released but not yet deleted (the event
  // loop ended first) goes with it.
  auto* process = new QProcess(&context_);
  process->setProgram(program);
  process->setArguments(
      {url.isLocalFile() ? url.toLocalFile() : QString::fromUtf8(url.toEncoded())});
  // Nothing of ours is left open to the programs it starts.
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  processes_.push_back(process);
  QObject::connect(process, &QProcess::finished, &context_,
                   [this, process, url, tell](int code, QProcess::ExitStatus status) {
                     release(process);
                     if (status != QProcess::NormalExit)
                       notOpened(url, QStringLiteral("the opener stopped unexpectedly"), tell);
                     else if (code != 0)
                       notOpened(url, reasonForExitCode(code), tell);
                   });
  QObject::connect(
      process, &QProcess::errorOccurred, &context_,
      [this, process, url, tell, program](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
          return;
        release(process);
        notOpened(url, QStringLiteral("the opener %1 could not be started").arg(program), tell);
      });
  QTimer::singleShot(kPatienceMs, &context_, [this, process] {
    // Still running: the address was handed on; the process is only reaped.
    if (std::find(processes_.begin(), processes_.end(), process) == processes_.end())
      return;
    process->disconnect(&context_);
    QObject::connect(process, &QProcess::finished, &context_,
                     [this, process] { release(process); });
  });
  process->start();
  return true;
}

void DesktopUrlOpener::release(QProcess* process) {
  const auto found = std::find(processes_.begin(), processes_.end(), process);
  if (found == processes_.end())
    return;
  processes_.erase(found);
  process->disconnect(&context_);
  process->deleteLater();
}

void DesktopUrlOpener::notOpened(const QUrl& url, const QString& reason, bool tell) {
  platformLog(reason.isEmpty() ? notOpenedLine(url)
                               : QStringLiteral("%1: %2").arg(notOpenedLine(url), reason));
  if (!tell)
    return;
  // Shown from the event loop, never from inside the caller or a signal of
  // the process.
  QTimer::singleShot(0, &context_, [url, reason] {
    AlertPresenterAPI::shared().runModal(notOpenedAlert(url, reason));
  });
}

} // namespace kr
