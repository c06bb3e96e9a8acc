#include "kit/SmallDurationView.h"

namespace kr {

void SmallDurationView::drawReadOut() {
  DurationViewStyleKit::drawSmallDurationView(texts(), sizes(), disabled);
}

} // namespace kr
