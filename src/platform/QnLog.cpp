#include "platform/QnLog.h"

#include "platform/ConsoleText.h"

#include <algorithm>
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

namespace {
bool needsEscape(char16_t c, bool keepLineBreaks) {
  if (c < 0x20)
    return !(keepLineBreaks && c == u'\n');
  return (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}
} // namespace

QString consoleSafe(const QString& text, bool keepLineBreaks) {
  const auto first = std::find_if(text.cbegin(), text.cend(), [keepLineBreaks](QChar c) {
    return needsEscape(c.unicode(), keepLineBreaks);
  });
  if (first == text.cend())
    return text;
  QString safe = text.first(first - text.cbegin());
  safe.reserve(text.size() + 16);
  for (auto it = first; it != text.cend(); ++it) {
    const char16_t c = it->unicode();
    if (!needsEscape(c, keepLineBreaks))
      safe += *it;
    else if (c <= 0xFF)
      safe += QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'));
    else
      safe += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
  }
  return safe;
}

namespace {
thread_local QnLogBatch* currentBatch = nullptr;
// Bounds what a batch holds before it writes.
constexpr int kBatchLines = 2000;
} // namespace

QnLogBatch::QnLogBatch() : outer_(currentBatch) { currentBatch = this; }

QnLogBatch::~QnLogBatch() {
  flush();
  currentBatch = outer_;
}

void QnLogBatch::add(const QString& line) {
  if (lines_ > 0)
    text_ += u'\n';
  // Each line escaped as a line of its own would be: only the breaks between
  // lines stay.
  text_ += consoleSafe(line);
  if (++lines_ >= kBatchLines)
    flush();
}

void QnLogBatch::flush() {
  if (lines_ == 0)
    return;
  qCInfo(lcQnLog).noquote() << text_;
  text_.clear();
  lines_ = 0;
}

void qn_log(const QString& message) {
  if (!QnLog::isOn())
    return;
  if (currentBatch)
    currentBatch->add(message);
  else
    qCInfo(lcQnLog).noquote() << consoleSafe(message);
}

void qn_logf(const char* format, ...) {
  if (!QnLog::isOn())
    return;
  va_list args;
  va_start(args, format);
  const QString message = QString::vasprintf(format, args);
  va_end(args);
  qn_log(message);
}

void platformLog(const QString& message) {
  qCInfo(lcPlatformLog).noquote() << consoleSafe(message);
}

void describeService(const QString& service, bool available, const QString& detail) {
  QString line =
      service + (available ? QStringLiteral(": available") : QStringLiteral(": not available"));
  if (!detail.isEmpty())
    line += QStringLiteral(" (%1)").arg(detail);
  platformLog(line);
}

} // namespace kr
