#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

class QAction;

namespace kr {

// Menu items that menus built later can put where a placeholder stands: each
// key names a factory that makes a fresh item every time it is asked.
class MenuPlaceHolderHelper {
public:
  using Factory = std::function<std::unique_ptr<QAction>()>;

  static MenuPlaceHolderHelper& shared();

  // Replaces a factory registered under the same key.
  void registerFactory(const QString& key, Factory factory);
  bool hasFactory(const QString& key) const { return registry_.contains(key); }
  // A new item of the factory under `key`; none for an unknown key.
  std::unique_ptr<QAction> makeItem(const QString& key) const;

private:
  QHash<QString, Factory> registry_;
};

} // namespace kr
