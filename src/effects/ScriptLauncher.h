#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QProcess;

namespace kr {

// Calls the user's script hook: an executable "NotificationHandler" in the
// scripts folder, run with the handler name, the text and, for the "in
// progress" events, a number as its arguments. It is started directly, never
// through a shell, so nothing in the arguments is interpreted. Each run is
// limited in time; a failure is written to the console once for each version
// of the script. A missing script is the normal case and says nothing.
class ScriptLauncher : public QObject {
  Q_OBJECT

public:
  static constexpr const char* kScriptName = "NotificationHandler";

  explicit ScriptLauncher(QString folder, QObject* parent = nullptr);
  ~ScriptLauncher() override;

  // The launcher over SupportPaths::scriptsFolder().
  static ScriptLauncher& sharedScriptLauncher();

  void executeEventHandlerWithoutResult(const QString& handler, const QString& text);
  void executeEventHandlerWithoutResult(const QString& handler, const QString& text, qint64 number);

  // The scripts folder, created when missing; empty when it cannot be created.
  QString directoryURL() const;
  // Whether the scripts folder is there (it is created when missing).
  // `detail` names it and says whether the script is in it, or why the folder
  // is missing.
  bool isAvailable(QString* detail = nullptr) const;
  // Shows the scripts folder in the file manager.
  void openScriptFolder() const;
  QString scriptPath() const;
  // The sample hook that comes with the program, for the user to copy.
  static QString sampleScriptPath();

  // Seconds a run may take before it is stopped (30 unless changed).
  void setTimeLimit(double seconds) { timeLimit_ = seconds; }
  // Runs going on at most at once; further events are skipped meanwhile.
  static constexpr int kMaximumRuns = 8;
  int runningCount() const;
  // The program quits: each run still going is asked to end (SIGTERM to its
  // process group) and killed with its group after at most 0.3 s for all of
  // them. A program that a run left running when it ended, or that left the
  // run's process group, is the user's and stays.
  void stopAllRuns();
  // Waits for every run to end. Tests only.
  bool waitForAllForTesting(int milliseconds);

private:
  void run(const QStringList& arguments);
  void reportFailure(const QString& message);
  QString scriptVersion() const;

  QString folder_;
  double timeLimit_ = 30.0;
  // The version of the script whose failure was reported last.
  QString reportedVersion_;
};

} // namespace kr
