#include "effects/ScriptLauncher.h"

#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/files/SupportPaths.h"
#include "platform/services/FileBrowserAPI.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>

#include <limits>

#include <vector>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace kr {

namespace {
const char* kHandlerProperty = "kr_handler";
const char* kTimedOutProperty = "kr_timedOut";
const char* kStoppedAtQuitProperty = "kr_stoppedAtQuit";
const char* kErrorsProperty = "kr_errors";
// The report quotes the first 200 characters of what a run wrote to its
// error output; enough bytes for those are kept, and the rest is dropped as
// it arrives, however much a run writes.
constexpr int kQuotedCharacters = 200;
constexpr qsizetype kKeptErrorBytes = 4 * kQuotedCharacters;
// How long the runs still going at quit have, all together, to end on
// SIGTERM before they are killed.
constexpr int kQuitGraceMs = 300;

// Whether a run's own process has not ended yet, asked without reaping it.
//
// A run's process leads its process group, and the group is signalled by the
// leader's number. That number is ours to use only while the leader is our
// child not yet reaped, running or a zombie: until then the kernel gives it to
// no other process or group. Once reaped, a group of that number may still
// hold what the run left behind (the user's), or, once that is gone too,
// belong to anyone. QProcess reaps its child only as it reports the end, on
// this thread, before its state turns NotRunning; `WNOWAIT` asks without
// reaping. ECHILD: reaped already. A zombie: the run has ended, and what is
// left in its group is the user's. Else the run still goes.
bool runStillGoing(const QProcess& process) {
  const qint64 pid = process.processId();
  if (process.state() == QProcess::NotRunning || pid <= 0)
    return false;
  siginfo_t info{};
  if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT | __WALL) != 0)
    return false;
  return info.si_pid == 0;
}

// Sends `signal` to a run's process group while the run itself still goes;
// true when it did.
bool signalRun(const QProcess& process, int signal) {
  if (!runStillGoing(process))
    return false;
  const auto pid = pid_t(process.processId());
  // Just started, the run may not have made its own group yet.
  if (::kill(-pid, signal) != 0 && errno == ESRCH)
    ::kill(pid, signal);
  return true;
}
} // namespace

ScriptLauncher::ScriptLauncher(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {}

ScriptLauncher::~ScriptLauncher() {
  // Runs still going are stopped with the application.
  stopAllRuns();
  for (QProcess* process : findChildren<QProcess*>())
    process->waitForFinished(1000);
}

void ScriptLauncher::stopAllRuns() {
  // A run still going gets SIGTERM for its whole group (an editor or a
  // browser it opened meanwhile saves and closes), and SIGKILL if it is still
  // there when the grace is over. What a run left running when it ended, or
  // what left its group, is the user's and never touched.
  std::vector<QPointer<QProcess>> stopped;
  for (QProcess* process : findChildren<QProcess*>()) {
    if (signalRun(*process, SIGTERM)) {
      process->setProperty(kStoppedAtQuitProperty, true);
      stopped.emplace_back(process);
    }
  }
  if (stopped.empty())
    return;
  // Waiting on the processes themselves, not on a timer: each ends the wait
  // as it ends.
  QDeadlineTimer grace(kQuitGraceMs);
  for (const QPointer<QProcess>& process : stopped) {
    if (process && process->state() != QProcess::NotRunning)
      process->waitForFinished(int(grace.remainingTime()));
  }
  for (const QPointer<QProcess>& process : stopped) {
    if (process)
      signalRun(*process, SIGKILL);
  }
}

ScriptLauncher& ScriptLauncher::sharedScriptLauncher() {
  static ScriptLauncher launcher(SupportPaths::scriptsFolder());
  return launcher;
}

QString ScriptLauncher::scriptPath() const {
  return folder_ + u'/' + QString::fromLatin1(kScriptName);
}

QString ScriptLauncher::sampleScriptPath() {
  const QString installed =
      QCoreApplication::applicationDirPath() + QStringLiteral("/../share/korvane-r/Sample Script");
  if (QFileInfo::exists(installed))
    return QDir::cleanPath(installed);
  return QStringLiteral(KR_BUILD_SAMPLE_SCRIPT);
}

QString ScriptLauncher::directoryURL() const {
  return QDir().mkpath(folder_) ? folder_ : QString();
}

bool ScriptLauncher::isAvailable(QString* detail) const {
  QString text;
  const bool available = !directoryURL().isEmpty();
  if (folder_.isEmpty()) {
    text = QStringLiteral("no folder for user scripts is known");
  } else if (!available) {
    text = QStringLiteral("%1 cannot be created").arg(folder_);
  } else {
    const QFileInfo script(scriptPath());
    const QString name = QString::fromLatin1(kScriptName);
    if (!script.exists())
      text = QStringLiteral("%1, without a %2 script").arg(folder_, name);
    else if (!script.isFile() || !script.isExecutable())
      text = QStringLiteral("%1, its %2 is not an executable file").arg(folder_, name);
    else
      text = QStringLiteral("%1, with the %2 script").arg(folder_, name);
  }
  if (detail)
    *detail = text;
  return available;
}

void ScriptLauncher::openScriptFolder() const {
  const QString folder = directoryURL();
  if (!folder.isEmpty())
    FileBrowserAPI::shared().openFolder(folder);
}

void ScriptLauncher::executeEventHandlerWithoutResult(const QString& handler, const QString& text) {
  run({handler, text});
}

void ScriptLauncher::executeEventHandlerWithoutResult(const QString& handler, const QString& text,
                                                      qint64 number) {
  // The number travels as a 32-bit integer; out-of-range values saturate rather than wrap.
  const qint64 clamped = std::clamp<qint64>(number, std::numeric_limits<qint32>::min(),
                                            std::numeric_limits<qint32>::max());
  run({handler, text, QString::number(clamped)});
}

int ScriptLauncher::runningCount() const {
  int count = 0;
  for (const QProcess* process : findChildren<QProcess*>())
    count += process->state() != QProcess::NotRunning ? 1 : 0;
  return count;
}

QString ScriptLauncher::scriptVersion() const {
  const QFileInfo info(scriptPath());
  return QStringLiteral("%1/%2").arg(info.lastModified().toMSecsSinceEpoch()).arg(info.size());
}

void ScriptLauncher::reportFailure(const QString& message) {
  const QString version = scriptVersion();
  if (version == reportedVersion_)
    return;
  reportedVersion_ = version;
  platformLog(QStringLiteral("%1 script: %2").arg(QString::fromLatin1(kScriptName), message));
}

void ScriptLauncher::run(const QStringList& arguments) {
  if (folder_.isEmpty())
    return; // no scripts folder: no hooks
  const QString path = scriptPath();
  const QFileInfo info(path);
  if (!info.exists())
    return;
  if (!info.isFile() || !info.isExecutable()) {
    reportFailure(QStringLiteral("%1 is not an executable file, so it is not run").arg(path));
    return;
  }
  if (runningCount() >= kMaximumRuns) {
    reportFailure(
        QStringLiteral("%1 runs are still going; further events are skipped").arg(kMaximumRuns));
    return;
  }
  qn_log(QStringLiteral("Script event: %1").arg(arguments.join(QStringLiteral(", "))));

  auto* process = new QProcess(this);
  process->setProperty(kHandlerProperty, arguments.first());
  process->setProgram(path);
  process->setArguments(arguments);
  process->setWorkingDirectory(folder_);
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  // Its own process group, so a run that is stopped takes its children with it.
  process->setChildProcessModifier([] { ::setpgid(0, 0); });

  connect(process, &QProcess::readyReadStandardError, this, [process] {
    QByteArray kept = process->property(kErrorsProperty).toByteArray();
    const QByteArray chunk = process->readAllStandardError();
    if (kept.size() < kKeptErrorBytes) {
      kept.append(chunk.left(kKeptErrorBytes - kept.size()));
      process->setProperty(kErrorsProperty, kept);
    }
  });
  connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
      reportFailure(QStringLiteral("cannot be started: %1").arg(process->errorString()));
      process->deleteLater();
    }
  });
  connect(
      process, &QProcess::finished, this,
      [this, process](int exitCode, QProcess::ExitStatus status) {
        process->deleteLater();
        // Stopped as the program quits: no failure of the script's.
        if (process->property(kStoppedAtQuitProperty).toBool())
          return;
        const QString handler = process->property(kHandlerProperty).toString();
        QByteArray kept = process->property(kErrorsProperty).toByteArray();
        kept.append(process->readAllStandardError().left(kKeptErrorBytes));
        const QString errors =
            QString::fromLocal8Bit(kept.left(kKeptErrorBytes)).trimmed().left(kQuotedCharacters);
        if (process->property(kTimedOutProperty).toBool()) {
          reportFailure(QStringLiteral("\"%1\" did not finish within %2 s and was stopped")
                            .arg(handler)
                            .arg(timeLimit_));
        } else if (status != QProcess::NormalExit || exitCode != 0) {
          reportFailure(QStringLiteral("\"%1\" failed (exit code %2)%3")
                            .arg(handler)
                            .arg(status == QProcess::NormalExit ? exitCode : -1)
                            .arg(errors.isEmpty() ? QString() : QStringLiteral(": ") + errors));
        }
      });

  QPointer<QProcess> guard(process);
  SmartTimerWrapper::wrapTimer(timeLimit_, false, [guard](SmartTimerWrapper&) {
    if (!guard || guard->state() == QProcess::NotRunning)
      return;
    guard->setProperty(kTimedOutProperty, true);
    signalRun(*guard, SIGKILL);
  });
  process->start();
}

bool ScriptLauncher::waitForAllForTesting(int milliseconds) {
  for (QProcess* process : findChildren<QProcess*>()) {
    if (process->state() != QProcess::NotRunning && !process->waitForFinished(milliseconds))
      return false;
  }
  return true;
}

} // namespace kr
