#pragma once

namespace kr {

// Something whose progress the count-down dial shows: 0 when nothing has
// elapsed, 1 when everything has.
class ProportionValueProvider {
public:
  virtual ~ProportionValueProvider() = default;
  virtual double currentProportion() const = 0;
};

} // namespace kr
