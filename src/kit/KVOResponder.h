#pragma once

#include "platform/settings/UserDefaults.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

namespace kr {

class EndOfLifeBag;

// Observes one key of a settings store and calls a closure on every change of
// the value it reads. The observation lasts exactly as long as the responder:
// an owner keeps its responders (usually in a list) for as long as it wants to
// be told, and dropping a responder ends it. The closure reads the new value
// itself.
class KVOResponder : public QObject {
  Q_OBJECT

public:
  using ReactingFunc = std::function<void(UserDefaults* object, const QString& keyPath)>;

  KVOResponder(const QString& keyPath, UserDefaults* object, ReactingFunc reactingFunc);
  ~KVOResponder() override;

  QString keyPath() const { return keyPath_; }
  UserDefaults* observedObject() const { return observedObject_; }
  // Whether the responder still observes its object.
  bool isObserving() const { return static_cast<bool>(connection_); }

private:
  void observeValue(const QString& keyPath);

  QString keyPath_;
  QPointer<UserDefaults> observedObject_;
  std::unique_ptr<EndOfLifeBag> endOfLifeBag_;
  ReactingFunc reactingFunc_;
  QMetaObject::Connection connection_;
};

} // namespace kr
