#include "platform/settings/DefaultsBinding.h"

#include "platform/FatalError.h"
#include "platform/settings/UserDefaults.h"

namespace kr {

DefaultsBinding* DefaultsBinding::bind(QObject* target, const char* propertyName,
                                       const QString& key, const ValueTransformer& transformer,
                                       UserDefaults* defaults) {
  KR_ASSERT(target, QStringLiteral("bind called without a target"));
  const QMetaObject* meta = target->metaObject();
  const int index = meta->indexOfProperty(propertyName);
  KR_ASSERT(index >= 0,
            QStringLiteral("bind: %1 has no property %2")
                .arg(QString::fromLatin1(meta->className()), QString::fromLatin1(propertyName)));
  return new DefaultsBinding(target, meta->property(index), key, transformer,
                             defaults ? defaults : &UserDefaults::standard());
}

DefaultsBinding::DefaultsBinding(QObject* target, const QMetaProperty& property, const QString& key,
                                 const ValueTransformer& transformer, UserDefaults* defaults)
    : QObject(target), target_(target), property_(property), key_(key), transformer_(transformer),
      defaults_(defaults) {
  connect(defaults_, &UserDefaults::changed, this, [this](const QString& changedKey) {
    if (changedKey == key_)
      pushToTarget();
  });
  if (property_.hasNotifySignal()) {
    const int slot = metaObject()->indexOfSlot("pullFromTarget()");
    QMetaObject::connect(target_, property_.notifySignalIndex(), this, slot);
  }
  pushToTarget();
}

void DefaultsBinding::unbind() {
  disconnect(defaults_, nullptr, this, nullptr);
  disconnect(target_, nullptr, this, nullptr);
  deleteLater();
}

void DefaultsBinding::pushToTarget() {
  if (updating_)
    return;
  updating_ = true;
  QVariant shown = transformer_.transformedValue(defaults_->object(key_));
  if (!shown.isValid())
    shown = QVariant(property_.metaType()); // the property type's empty value
  property_.write(target_, shown);
  updating_ = false;
}

void DefaultsBinding::pullFromTarget() {
  // A transformer without a reverse makes the binding read-only.
  if (updating_ || (transformer_.forward && !transformer_.reverse))
    return;
  updating_ = true;
  defaults_->setValue(key_, transformer_.reverseTransformedValue(property_.read(target_)));
  updating_ = false;
}

} // namespace kr
