#include "platform/SmartTimerWrapper.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>
#include <unordered_map>

namespace kr {

namespace {

// One QTimer per running wrapper, on the thread that started it (the GUI thread).
class EventLoopTimerBackend final : public TimerBackend {
public:
  void start(SmartTimerWrapper& timer) override {
    auto qtimer = std::make_unique<QTimer>();
    qtimer->setSingleShot(!timer.repeats());
    qtimer->setTimerType(timer.interval() >= 1.0 && timer.tolerance() > 0.0 ? Qt::CoarseTimer
                                                                            : Qt::PreciseTimer);
    // Rounded up: a timer never fires before its interval is over.
    qtimer->setInterval(
        static_cast<int>(std::ceil(std::max(0.0, timer.interval()) * 1000.0 - 1e-6)));
    SmartTimerWrapper* raw = &timer;
    QObject::connect(qtimer.get(), &QTimer::timeout, qtimer.get(), [raw] { raw->execute(); });
    qtimer->start();
    timers_[raw] = std::move(qtimer);
  }

  void stop(SmartTimerWrapper& timer) override {
    auto it = timers_.find(&timer);
    if (it == timers_.end())
      return;
    QTimer* qtimer = it->second.release();
    timers_.erase(it);
    qtimer->stop();
    // The QTimer may be the sender of the signal running right now; once the
    // application object has gone (objects that outlive main()) nothing runs.
    if (QCoreApplication::instance())
      qtimer->deleteLater();
    else
      delete qtimer;
  }

private:
  std::unordered_map<SmartTimerWrapper*, std::unique_ptr<QTimer>> timers_;
};

TimerBackend*& installedBackend() {
  static TimerBackend* backend = nullptr;
  return backend;
}

} // namespace

SmartTimerWrapper::SmartTimerWrapper(double seconds, bool repeats, Block block)
    : block_(std::move(block)), interval_(seconds), repeats_(repeats) {}

SmartTimerWrapper::~SmartTimerWrapper() = default;

std::shared_ptr<SmartTimerWrapper> SmartTimerWrapper::wrapTimer(double seconds, bool repeats,
                                                                Block block) {
  std::shared_ptr<SmartTimerWrapper> timer(
      new SmartTimerWrapper(seconds, repeats, std::move(block)));
  timer->valid_ = true;
  timer->selfWhileRunning_ = timer;
  timer->startedOn_ = &backend();
  timer->startedOn_->start(*timer);
  return timer;
}

void SmartTimerWrapper::execute() {
  if (!valid_)
    return;
  auto keepAlive = shared_from_this();
  if (!repeats_)
    stop();
  if (block_)
    block_(*this);
}

void SmartTimerWrapper::stop() {
  if (!valid_)
    return;
  valid_ = false;
  if (startedOn_)
    startedOn_->stop(*this);
  startedOn_ = nullptr;
  selfWhileRunning_.reset(); // may destroy this object once the caller lets go
}

void SmartTimerWrapper::setTolerance(double seconds) { tolerance_ = std::max(0.0, seconds); }

void SmartTimerWrapper::setBackend(TimerBackend* backend) { installedBackend() = backend; }

TimerBackend& SmartTimerWrapper::backend() {
  // Never destroyed: objects that live until the process exits stop their
  // timers on it after every static of this file may have gone.
  static auto* eventLoopBackend = new EventLoopTimerBackend;
  TimerBackend* backend = installedBackend();
  return backend ? *backend : *eventLoopBackend;
}

} // namespace kr
