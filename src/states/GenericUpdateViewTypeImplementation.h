#pragma once

#include "states/UpdatedViewType.h"

#include <functional>
#include <utility>

namespace kr {

// Puts any refresh step into a page's list of updated views.
class GenericUpdateViewTypeImplementation final : public UpdatedViewType {
public:
  explicit GenericUpdateViewTypeImplementation(std::function<void()> closure)
      : closure(std::move(closure)) {}
  void updateState() override {
    if (closure)
      closure();
  }

  std::function<void()> closure;
};

} // namespace kr
