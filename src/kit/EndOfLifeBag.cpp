#include "kit/EndOfLifeBag.h"

#include "platform/LogCategories.h"

namespace kr {

EndOfLifeBag::~EndOfLifeBag() {
  qCDebug(lcKit) << QStringLiteral("disposing of end of life bag");
  if (!closures_)
    return;
  for (const auto& closure : *closures_)
    closure();
  closures_.reset();
}

void EndOfLifeBag::add(std::function<void()> closure) {
  if (!closures_)
    closures_.emplace();
  closures_->push_back(std::move(closure));
}

} // namespace kr
