#include "shortcuts/HotKey.h"

#include "shortcuts/HotKeyCenter.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace kr {

void HotKey::ActionQueue::execute(std::function<void()> closure) const {
  if (!closure)
    return;
  if (value_ == session) {
    closure();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(closure), Qt::QueuedConnection);
}

std::shared_ptr<HotKey> HotKey::make(QString identifier, SwiftKeyCombo keyCombo,
                                     ActionQueue actionQueue, Handler handler) {
  return std::shared_ptr<HotKey>(
      new HotKey(std::move(identifier), keyCombo, actionQueue, std::move(handler)));
}

std::shared_ptr<HotKey> HotKey::make(QString identifier, SwiftKeyCombo keyCombo,
                                     std::shared_ptr<QObject> target, QByteArray action,
                                     ActionQueue actionQueue) {
  std::shared_ptr<HotKey> hotKey(new HotKey(std::move(identifier), keyCombo, actionQueue, {}));
  hotKey->target_ = std::move(target);
  hotKey->action_ = std::move(action);
  return hotKey;
}

QMetaMethod HotKey::targetMethod() const {
  if (!target_ || action_.isEmpty())
    return {};
  const QMetaObject* meta = target_->metaObject();
  for (int i = 0; i < meta->methodCount(); ++i) {
    const QMetaMethod method = meta->method(i);
    if (method.name() != action_ || method.parameterCount() != 1)
      continue;
    const QByteArray type = method.parameterTypeName(0);
    if (type == "kr::HotKey*" || type == "HotKey*")
      return method;
  }
  return {};
}

void HotKey::invoke() {
  if (handler_) {
    actionQueue_.execute([weak = weak_from_this()] {
      if (const std::shared_ptr<HotKey> self = weak.lock())
        self->handler_(*self);
    });
    return;
  }
  if (!targetMethod().isValid())
    return;
  actionQueue_.execute([weak = weak_from_this()] {
    const std::shared_ptr<HotKey> self = weak.lock();
    if (!self)
      return;
    const QMetaMethod method = self->targetMethod();
    HotKey* argument = self.get();
    if (method.isValid())
      method.invoke(self->target_.get(), Qt::DirectConnection, Q_ARG(kr::HotKey*, argument));
  });
}

bool HotKey::registerHotKey() { return HotKeyCenter::shared().registerHotKey(shared_from_this()); }

void HotKey::unregisterHotKey() { HotKeyCenter::shared().unregisterHotKey(shared_from_this()); }

} // namespace kr
