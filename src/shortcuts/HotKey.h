#pragma once

#include "shortcuts/SwiftKeyCombo.h"

#include <QByteArray>
#include <QMetaMethod>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace kr {

// One global shortcut bound to one action. The hot-key centre files it under
// its identifier and gives it a registration number.
class HotKey : public std::enable_shared_from_this<HotKey> {
public:
  // Where a hot key's action runs.
  class ActionQueue {
  public:
    enum Value { main, session };
    constexpr ActionQueue(Value value) : value_(value) {}
    constexpr operator Value() const { return value_; }
    // main: later on the GUI thread; session: at once, on the calling thread.
    void execute(std::function<void()> closure) const;

  private:
    Value value_;
  };
  using Handler = std::function<void(HotKey&)>;

  // The handler form: the handler is called with the hot key.
  static std::shared_ptr<HotKey> make(QString identifier, SwiftKeyCombo keyCombo,
                                      ActionQueue actionQueue, Handler handler);
  // The target form: the target's invokable method named `action`, taking a
  // `kr::HotKey*`, is called with the hot key. The target is held.
  static std::shared_ptr<HotKey> make(QString identifier, SwiftKeyCombo keyCombo,
                                      std::shared_ptr<QObject> target, QByteArray action,
                                      ActionQueue actionQueue);

  const QString& identifier() const { return identifier_; }
  const SwiftKeyCombo& keyCombo() const { return keyCombo_; }
  ActionQueue actionQueue() const { return actionQueue_; }
  // The target form's target and action; none for the handler form.
  const std::shared_ptr<QObject>& target() const { return target_; }
  const QByteArray& action() const { return action_; }
  // The centre's registration number; none until registered.
  std::optional<quint32> hotKeyId() const { return hotKeyId_; }
  // Whether the desktop holds a grab for it (never for a doubled combo).
  bool isGrabbed() const { return grabbed_; }

  // Runs the action through the action queue: later on the GUI thread
  // (main), or at once (session); either way only while the hot key still
  // exists. A target without the method does nothing.
  void invoke();

  // Shorthands for the shared centre.
  bool registerHotKey();
  void unregisterHotKey();

  friend bool operator==(const HotKey& a, const HotKey& b) {
    return a.identifier_ == b.identifier_ && a.keyCombo_ == b.keyCombo_ &&
           a.hotKeyId_ == b.hotKeyId_ && a.grabbed_ == b.grabbed_;
  }

private:
  friend class HotKeyCenter;
  HotKey(QString identifier, SwiftKeyCombo keyCombo, ActionQueue actionQueue, Handler handler)
      : identifier_(std::move(identifier)), keyCombo_(keyCombo), actionQueue_(actionQueue),
        handler_(std::move(handler)) {}
  // The target's method for the action; invalid when it has none.
  QMetaMethod targetMethod() const;

  QString identifier_;
  SwiftKeyCombo keyCombo_;
  ActionQueue actionQueue_;
  Handler handler_;
  std::shared_ptr<QObject> target_;
  QByteArray action_;
  std::optional<quint32> hotKeyId_;
  bool grabbed_ = false;
};

} // namespace kr
