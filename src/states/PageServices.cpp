#include "states/PageServices.h"

namespace kr {

PageServices& PageServices::shared() {
  static PageServices services;
  return services;
}

} // namespace kr
