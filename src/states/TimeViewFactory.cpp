#include "states/TimeViewFactory.h"

namespace kr {

TimeViewFactory& TimeViewFactory::shared() {
  static TimeViewFactory factory;
  return factory;
}

} // namespace kr
