#pragma once

#include <QLoggingCategory>
#include <QString>

namespace kr {

Q_DECLARE_LOGGING_CATEGORY(lcQnLog)

// The console-logging switch. Off when the process starts; the debug manager
// makes it follow the "loggerIsOn" setting once it exists.
class QnLog {
public:
  static bool isOn();
  static void setOn(bool on);
};

// Writes one line to the console while the logging switch is on.
void qn_log(const QString& message);

// While one lives, qn_log() on its thread adds to it rather than writing: the
// lines go to the console together, in order, as one message, when enough of
// them are collected and when the batch ends. A task that traces thousands of
// steps (a reload over years of log files) pays for a few console writes
// rather than one per line. Batches on one thread nest: the innermost takes
// the lines.
class QnLogBatch {
public:
  QnLogBatch();
  ~QnLogBatch();
  QnLogBatch(const QnLogBatch&) = delete;
  QnLogBatch& operator=(const QnLogBatch&) = delete;

  // Writes what was collected so far.
  void flush();

private:
  friend void qn_log(const QString& message);
  void add(const QString& line);

  QnLogBatch* outer_;
  QString text_;
  int lines_ = 0;
};

// printf-style variant for call sites that format numbers.
void qn_logf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Platform log lines: always written, independent of the switch.
void platformLog(const QString& message);

// The start-up line on one desktop service: "<service>: available" or
// "<service>: not available", each followed by " (<detail>)" when there is
// one: where it comes from, or why it is missing. A platform log line.
void describeService(const QString& service, bool available, const QString& detail = {});

} // namespace kr
