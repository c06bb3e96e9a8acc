#include "states/SliceCues.h"

namespace kr {

SliceCues& SliceCues::shared() {
  static SliceCues cues;
  return cues;
}

} // namespace kr
