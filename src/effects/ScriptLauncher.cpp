#include "effects/ScriptLauncher.h"

#include "platform/QnLog.h"
#include "platform/SmartTimerWrapper.h"
#include "platform/files/FileOperations.h"
#include "platform/files/SupportPaths.h"
#include "platform/services/FileBrowserAPI.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>

#include <limits>

#include <csignal>
#include <unistd.h>

namespace kr {

namespace {
const char* kHandlerProperty = "kr_handler";
const char* kTimedOutProperty = "kr_timedOut";
const char* kErrorsProperty = "kr_errors";
// The report quotes the first 200 characters of what a run wrote to its
// error output; enough bytes for those are kept, and the rest is dropped as
// it arrives, however much a run writes.
constexpr int kQuotedCharacters = 200;
constexpr qsizetype kKeptErrorBytes = 4 * kQuotedCharacters;

// Stops a run and every process of its group.
void killRun(QProcess& process) {
  const qint64 pid = process.processId();
  if (process.state() != QProcess::NotRunning && pid > 0)
    ::kill(-pid_t(pid), SIGKILL);
}

// Every process a hook starts inherits this in its environment, with this
// program's own value: what a hook left running is found by it, also when it
// outlived its run or left the run's process group (setsid), and nothing
// else is (a browser the program opened, the web engine's helpers).
const char* const kHookMarker = "KORVANE_R_HOOK_OF";

const QByteArray& hookToken() {
  static const QByteArray token = QByteArray::number(::getpid()) + '.' +
                                  QByteArray::number(QRandomGenerator::system()->generate64());
  return token;
}

bool descendsFromOurHooks(const QByteArray& pid) {
  RegularFileReadOptions bounded;
  bounded.maximumSize = 1024 * 1024;
  const std::optional<QByteArray> environment =
      FileOperations::readRegularFile(QByteArray("/proc/" + pid + "/environ"), nullptr, bounded);
  if (!environment)
    return false; // gone, or another user's
  const QByteArray entry = QByteArray(kHookMarker) + '=' + hookToken();
  qsizetype from = 0;
  while ((from = environment->indexOf(entry, from)) >= 0) {
    const qsizetype end = from + entry.size();
    if ((from == 0 || environment->at(from - 1) == '\0') &&
        (end == environment->size() || environment->at(end) == '\0'))
      return true;
    from = end;
  }
  return false;
}

// Ends every process that descends from one of this program's hook runs.
// Twice over: one that forked as the first round read its parent is
// caught by the second.
void endHookDescendants() {
  const QByteArray self = QByteArray::number(::getpid());
  for (int round = 0; round < 2; ++round) {
    for (const QString& name : FileOperations::entryNames(QStringLiteral("/proc"))) {
      const QByteArray pid = name.toLatin1();
      bool number = false;
      const qint64 value = name.toLongLong(&number);
      if (number && value > 1 && pid != self && descendsFromOurHooks(pid))
        ::kill(pid_t(value), SIGKILL);
    }
  }
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
  for (QProcess* process : findChildren<QProcess*>())
    killRun(*process);
  if (startedAny_)
    endHookDescendants();
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
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromLatin1(kHookMarker), QString::fromLatin1(hookToken()));
  process->setProcessEnvironment(environment);
  startedAny_ = true;
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
        process->deleteLater();
      });

  QPointer<QProcess> guard(process);
  SmartTimerWrapper::wrapTimer(timeLimit_, false, [guard](SmartTimerWrapper&) {
    if (!guard || guard->state() == QProcess::NotRunning)
      return;
    guard->setProperty(kTimedOutProperty, true);
    killRun(*guard);
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
