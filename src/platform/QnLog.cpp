#include "platform/QnLog.h"

#include <atomic>
#include <cstdarg>

namespace kr {

Q_LOGGING_CATEGORY(lcQnLog, "kr.qnlog")
Q_LOGGING_CATEGORY(lcPlatformLog, "kr.platform")

namespace {
std::atomic<bool> loggerSwitch{false};
}

bool QnLog::isOn() { return loggerSwitch.load(std::memory_order_relaxed); }

void QnLog::setOn(bool on) { loggerSwitch.store(on, std::memory_order_relaxed); }

void qn_log(const QString& message) {
  if (QnLog::isOn())
    qCInfo(lcQnLog).noquote() << message;
}

void qn_logf(const char* format, ...) {
  if (!QnLog::isOn())
    return;
  va_list args;
  va_start(args, format);
  const QString message = QString::vasprintf(format, args);
  va_end(args);
  qCInfo(lcQnLog).noquote() << message;
}

void platformLog(const QString& message) { qCInfo(lcPlatformLog).noquote() << message; }

void describeService(const QString& service, bool available, const QString& detail) {
  QString line =
      service + (available ? QStringLiteral(": available") : QStringLiteral(": not available"));
  if (!detail.isEmpty())
    line += QStringLiteral(" (%1)").arg(detail);
  platformLog(line);
}

} // namespace kr
