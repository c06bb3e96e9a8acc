#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kr {

class SmartTimerWrapper;

// The one timer behind the work done once a second: the schedulers of the
// running states (and with them the ".time" events, the status item and the
// reminders), the page read-outs and the once-a-second checks. It fires on
// each whole second of the application clock and calls its subscribers in
// order of rank, then of subscription; it runs only while someone subscribes,
// so a program that waits wakes once a second, not once per timer. While a
// faster timer runs anyway (the rest screen's), that timer's heartbeat
// carries the second's work and the ticker keeps no timer of its own, so the
// two never wake the program separately.
class SecondTicker {
public:
  enum class Rank { scheduler = 0, views = 1, checks = 2 };
  using Callback = std::function<void()>;

  // Ends its subscription when it goes (or when reset()).
  class Subscription {
  public:
    Subscription() = default;
    ~Subscription() { reset(); }
    Subscription(Subscription&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    void reset();
    bool isActive() const { return id_ != 0; }

  private:
    friend class SecondTicker;
    explicit Subscription(quint64 id) : id_(id) {}
    quint64 id_ = 0;
  };

  // While it lives the ticker has no timer of its own: beat() must be
  // called often (the holder's timer, better on the ticker's seconds) and
  // runs the subscribers once their second has come.
  class Heartbeat {
  public:
    Heartbeat() = default;
    ~Heartbeat() { reset(); }
    Heartbeat(Heartbeat&& other) noexcept : ticker_(std::exchange(other.ticker_, nullptr)) {}
    Heartbeat& operator=(Heartbeat&& other) noexcept;
    Heartbeat(const Heartbeat&) = delete;
    Heartbeat& operator=(const Heartbeat&) = delete;

    void beat();
    void reset();
    bool isActive() const { return ticker_ != nullptr; }

  private:
    friend class SecondTicker;
    explicit Heartbeat(SecondTicker* ticker) : ticker_(ticker) {}
    SecondTicker* ticker_ = nullptr;
  };

  static SecondTicker& shared();

  SecondTicker() = default;
  ~SecondTicker();
  SecondTicker(const SecondTicker&) = delete;
  SecondTicker& operator=(const SecondTicker&) = delete;

  // A subscriber added while the ticker fires is first called at the next second.
  [[nodiscard]] Subscription subscribe(Rank rank, Callback callback);
  [[nodiscard]] Heartbeat driveByHeartbeat();
  // Whether it has subscribers and something runs them: its timer or a heartbeat.
  bool isRunning() const;
  int subscriberCount() const { return static_cast<int>(entries_.size()); }

  // The first whole clock second after `clockTime`.
  static double nextWholeSecondAfter(double clockTime);

private:
  struct Entry {
    quint64 id;
    Rank rank;
    std::shared_ptr<Callback> callback;
  };

  void unsubscribe(quint64 id);
  void arm();
  void armFor(double target);
  void fire();
  void beat();
  void releaseHeartbeat();

  std::vector<Entry> entries_;
  // A firing this close before its second waits for the second.
  static constexpr double kEarlinessTolerated = 0.05;

  std::shared_ptr<SmartTimerWrapper> timer_;
  double target_ = 0.0; // the clock second the timer is set for
  quint64 nextId_ = 1;
  bool firing_ = false;
  int heartbeats_ = 0;
};

} // namespace kr
