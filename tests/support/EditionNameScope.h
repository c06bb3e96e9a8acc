#pragma once

#include "platform/BundleInfo.h"

#include <QString>

#include <optional>

namespace kr::test {

// The program as built under the other edition's name ("Korvane-C") for one
// scope: the build's own name comes back at its end, also when a failed
// assertion leaves the test early.
class EditionNameScope {
public:
  explicit EditionNameScope(const QString& name) {
    BundleInfo::setCustomApplicationNameForTesting(name);
  }
  ~EditionNameScope() { BundleInfo::setCustomApplicationNameForTesting(std::nullopt); }
  EditionNameScope(const EditionNameScope&) = delete;
  EditionNameScope& operator=(const EditionNameScope&) = delete;

  void set(const QString& name) { BundleInfo::setCustomApplicationNameForTesting(name); }
};

} // namespace kr::test
