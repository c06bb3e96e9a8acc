#pragma once

namespace kr {

// A view of a state's page that redraws itself from the current timer and
// settings values; refreshed once a second while its state is active.
class UpdatedViewType {
public:
  virtual ~UpdatedViewType() = default;
  virtual void updateState() = 0;
};

} // namespace kr
