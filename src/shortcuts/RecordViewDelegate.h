#pragma once

#include "shortcuts/SwiftKeyCombo.h"

namespace kr {

class RecordView;

// Follows a shortcut recorder and may refuse to start or to take a combo.
class RecordViewDelegate {
public:
  virtual ~RecordViewDelegate() = default;
  virtual bool shouldBeginRecording(RecordView& view) = 0;
  virtual bool canRecord(const SwiftKeyCombo& combo, RecordView& view) = 0;
  virtual void didClearCombo(RecordView& view) = 0;
  virtual void didChangeCombo(const SwiftKeyCombo& combo, RecordView& view) = 0;
  virtual void didEndRecording(RecordView& view) = 0;
};

} // namespace kr
