#pragma once

#include "platform/settings/ValueTransformer.h"

#include <QMetaProperty>
#include <QObject>
#include <QString>

namespace kr {

class UserDefaults;

// Keeps a property of an object and a settings key in step, both ways.
//
// The property is set from the key at once and whenever the key changes; when
// the property has a notify signal, user changes are written back through the
// transformer's reverse (or as they are when it has none). The binding is a
// child of the target and ends with it.
class DefaultsBinding : public QObject {
  Q_OBJECT

public:
  static DefaultsBinding* bind(QObject* target, const char* propertyName, const QString& key,
                               const ValueTransformer& transformer = {},
                               UserDefaults* defaults = nullptr);

  QString key() const { return key_; }
  // Removes the binding; the property keeps its last value.
  void unbind();

private:
  DefaultsBinding(QObject* target, const QMetaProperty& property, const QString& key,
                  const ValueTransformer& transformer, UserDefaults* defaults);
  void pushToTarget();
  Q_SLOT void pullFromTarget();

  QObject* target_;
  QMetaProperty property_;
  QString key_;
  ValueTransformer transformer_;
  UserDefaults* defaults_;
  bool updating_ = false;
};

} // namespace kr
