#pragma once

#include "shortcuts/SwiftKeyCombo.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace kr {

// One global shortcut bound to one action. The hot-key centre files it under
// its identifier and gives it a registration number.
class HotKey : public std::enable_shared_from_this<HotKey> {
public:
  enum class ActionQueue { main, session };
  using Handler = std::function<void(HotKey&)>;

  static std::shared_ptr<HotKey> make(QString identifier, SwiftKeyCombo keyCombo,
                                      ActionQueue actionQueue, Handler handler);

  const QString& identifier() const { return identifier_; }
  const SwiftKeyCombo& keyCombo() const { return keyCombo_; }
  ActionQueue actionQueue() const { return actionQueue_; }
  // The centre's registration number; none until registered.
  std::optional<quint32> hotKeyId() const { return hotKeyId_; }
  // Whether the desktop holds a grab for it (never for a doubled combo).
  bool isGrabbed() const { return grabbed_; }

  // Runs the action: later on the GUI thread (main), or at once (session);
  // either way only while the hot key still exists.
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

  QString identifier_;
  SwiftKeyCombo keyCombo_;
  ActionQueue actionQueue_;
  Handler handler_;
  std::optional<quint32> hotKeyId_;
  bool grabbed_ = false;
};

} // namespace kr
