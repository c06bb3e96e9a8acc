#pragma once

#include <functional>
#include <optional>
#include <vector>

namespace kr {

// Clean-up work (unbinding, removing observers) that runs when the owner of the
// bag goes away: each closure once, in the order added.
class EndOfLifeBag {
public:
  EndOfLifeBag() = default;
  ~EndOfLifeBag();
  EndOfLifeBag(const EndOfLifeBag&) = delete;
  EndOfLifeBag& operator=(const EndOfLifeBag&) = delete;

  void add(std::function<void()> closure);
  int count() const { return closures_ ? int(closures_->size()) : 0; }

private:
  std::optional<std::vector<std::function<void()>>> closures_;
};

} // namespace kr
