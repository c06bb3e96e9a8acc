#include "shell/ActivityMonitor.h"

#include "engine/Clock.h"
#include "engine/SmartScheduler.h"
#include "platform/QnLog.h"
#include "platform/services/IdleTimeBackend.h"

#include <QLoggingCategory>

namespace kr {

namespace {
Q_LOGGING_CATEGORY(shellLog, "kr.shell")
} // namespace

ActivityMonitor::ActivityMonitor(std::unique_ptr<IdleTimeBackend> backend,
                                 const QString& unavailableReason)
    : backend_(std::move(backend)), lastTimeProgramWasLaunched_(Clock::now()) {
  if (backend_) {
    describeService(QStringLiteral("idle time"), true, backend_->name());
  } else {
    unavailableReported_ = true;
    describeService(
        QStringLiteral("idle time"), false,
        (unavailableReason.isEmpty() ? QString() : unavailableReason + QStringLiteral("; ")) +
            QStringLiteral("the user counts as active"));
  }
}

ActivityMonitor::~ActivityMonitor() = default;

double ActivityMonitor::idleTimeInSeconds() const {
  const std::int64_t second = wholeSecond(Clock::now());
  if (sampledSecond_ != second)
    sample();
  return idleTimeInSeconds_;
}

void ActivityMonitor::heartBeat() { sample(); }

void ActivityMonitor::sample() const {
  sampledSecond_ = wholeSecond(Clock::now());
  ++samplesTaken_;
  std::optional<quint64> milliseconds;
  if (backend_)
    milliseconds = backend_->idleMilliseconds();
  if (!milliseconds) {
    if (backend_)
      reportUnavailable(QStringLiteral("the %1 stopped answering").arg(backend_->name()));
    idleTimeInSeconds_ = 0.0;
    return;
  }
  // Whole seconds only: 3.9 s of inactivity read as 3.
  idleTimeInSeconds_ = static_cast<double>(*milliseconds / 1000);
}

void ActivityMonitor::onWake() {
  qn_log(QStringLiteral("onWake"));
  lastTimeWoken_ = Clock::now();
}

void ActivityMonitor::onSleep() {
  qn_log(QStringLiteral("onSleep"));
  lastTimePutToSleep_ = Clock::now();
}

void ActivityMonitor::reportUnavailable(const QString& reason) const {
  if (unavailableReported_)
    return;
  unavailableReported_ = true;
  qCInfo(shellLog).noquote() << "user idle time is not available"
                             << (reason.isEmpty() ? QString() : QStringLiteral("(%1)").arg(reason))
                             << "- the user counts as active";
}

} // namespace kr
