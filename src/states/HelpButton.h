#pragma once

#include "kit/bricks/PushButtonBrick.h"
#include "kit/walls/BricksFactory.h"

#include <QString>

namespace kr {

// The round help button of the pages, opening one help page in the help pad.
class HelpButton {
public:
  // For a row of a page's own layout.
  static PushButtonBrick* make(const QString& page);
  // Placed by `factory` in the wall it builds, with `constraints`.
  static PushButtonBrick* add(BricksFactory& factory, const QString& page,
                              const BricksFactory::Constraints& constraints);
};

} // namespace kr
