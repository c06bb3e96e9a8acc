#pragma once

#include <memory>

namespace kr {

// Told when a watched setting changes. Holders keep only weakReference(), so a
// listener is never kept alive by them and is never called once destroyed,
// however its owner manages it (a widget owned by its parent, a member, a
// shared_ptr).
class ValueChangeListener {
public:
  ValueChangeListener() = default;
  // A copy is a listener of its own; it does not share the original's lifetime.
  ValueChangeListener(const ValueChangeListener&) {}
  ValueChangeListener& operator=(const ValueChangeListener&) { return *this; }
  virtual ~ValueChangeListener() = default;

  virtual void valueHasChanged() = 0;

  // Expires when this listener is destroyed.
  std::weak_ptr<ValueChangeListener> weakReference() {
    return std::shared_ptr<ValueChangeListener>(lifetime_, this);
  }

private:
  std::shared_ptr<char> lifetime_ = std::make_shared<char>(0);
};

} // namespace kr
