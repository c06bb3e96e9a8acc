#pragma once

#include "platform/services/HotKeyBackend.h"

namespace kr {

// Where the desktop lets no program grab or watch keys: every grab fails.
class UnavailableHotKeyBackend final : public HotKeyBackend {
public:
  explicit UnavailableHotKeyBackend(QString reason) : reason_(std::move(reason)) {}

  bool isAvailable() const override { return false; }
  QString notice() const override { return reason_; }
  bool grab(quint32, quint32, quint16) override { return false; }
  void ungrab(quint32) override {}
  void setWatchingModifiers(bool) override {}
  bool isWatchingModifiers() const override { return false; }

private:
  QString reason_;
};

} // namespace kr
