#include "states/SoftBreakCues.h"

namespace kr {

SoftBreakCues& SoftBreakCues::shared() {
  static SoftBreakCues cues;
  return cues;
}

} // namespace kr
