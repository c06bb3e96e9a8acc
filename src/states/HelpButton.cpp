#include "states/HelpButton.h"

#include "states/PageServices.h"

#include "kit/bricks/PushButtonBrick.h"

namespace kr {

namespace {

std::function<void()> showing(const QString& page) {
  return [page] { PageServices::shared().callShowHelpPage(page); };
}

} // namespace

PushButtonBrick* HelpButton::make(const QString& page) {
  return PushButtonBrick::helpButton(showing(page));
}

PushButtonBrick* HelpButton::add(BricksFactory& factory, const QString& page,
                                 const BricksFactory::Constraints& constraints) {
  return factory.helpButton(showing(page), constraints);
}

} // namespace kr
