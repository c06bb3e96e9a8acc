#include "engine/StateBase.h"

#include "platform/FatalError.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace kr {

void StateBase::activate() { superClassCalledFlag_ = true; }

void StateBase::deactivate() { superClassCalledFlag_ = true; }

const StateExits& StateBase::exits() const {
  static const StateExits none;
  return none;
}

StateBase* StateBase::exitNamed(const QString& name, bool* declared) const {
  const StateExits::Entry* entry = exits().find(name);
  if (declared)
    *declared = entry != nullptr;
  return entry ? this->*(entry->member) : nullptr;
}

void StateBase::setExit(const QString& name, StateBase* successor) {
  const StateExits::Entry* entry = exits().find(name);
  KR_ASSERT(entry != nullptr, QStringLiteral("%1 has no exit named '%2'").arg(className(), name));
  this->*(entry->member) = successor;
}

QString StateBase::className() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  QString name = QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
  const qsizetype scope = name.lastIndexOf(QLatin1String("::"));
  return scope >= 0 ? name.mid(scope + 2) : name;
}

} // namespace kr
