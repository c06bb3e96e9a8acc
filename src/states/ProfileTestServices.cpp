#include "states/ProfileTestServices.h"

namespace kr {

ProfileTestServices& ProfileTestServices::shared() {
  static ProfileTestServices services;
  return services;
}

} // namespace kr
