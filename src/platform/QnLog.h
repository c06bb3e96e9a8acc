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

// printf-style variant for call sites that format numbers.
void qn_logf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Platform log lines: always written, independent of the switch.
void platformLog(const QString& message);

// The start-up line on one desktop service: "<service>: available" or
// "<service>: not available", each followed by " (<detail>)" when there is
// one: where it comes from, or why it is missing. A platform log line.
void describeService(const QString& service, bool available, const QString& detail = {});

} // namespace kr
