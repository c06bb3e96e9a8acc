#include "window/MenuPlaceHolderHelper.h"

#include <QAction>

namespace kr {

MenuPlaceHolderHelper& MenuPlaceHolderHelper::shared() {
  static MenuPlaceHolderHelper helper;
  return helper;
}

void MenuPlaceHolderHelper::registerFactory(const QString& key, Factory factory) {
  if (factory)
    registry_.insert(key, std::move(factory));
  else
    registry_.remove(key);
}

std::unique_ptr<QAction> MenuPlaceHolderHelper::makeItem(const QString& key) const {
  const auto factory = registry_.constFind(key);
  return factory == registry_.cend() ? nullptr : (*factory)();
}

} // namespace kr
