#include "shortcuts/HotKey.h"

#include "shortcuts/HotKeyCenter.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace kr {

std::shared_ptr<HotKey> HotKey::make(QString identifier, SwiftKeyCombo keyCombo,
                                     ActionQueue actionQueue, Handler handler) {
  return std::shared_ptr<HotKey>(
      new HotKey(std::move(identifier), keyCombo, actionQueue, std::move(handler)));
}

void HotKey::invoke() {
  if (!handler_)
    return;
  if (actionQueue_ == ActionQueue::session) {
    handler_(*this);
    return;
  }
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [weak = weak_from_this()] {
        if (const std::shared_ptr<HotKey> self = weak.lock())
          self->handler_(*self);
      },
      Qt::QueuedConnection);
}

bool HotKey::registerHotKey() { return HotKeyCenter::shared().registerHotKey(shared_from_this()); }

void HotKey::unregisterHotKey() { HotKeyCenter::shared().unregisterHotKey(shared_from_this()); }

} // namespace kr
