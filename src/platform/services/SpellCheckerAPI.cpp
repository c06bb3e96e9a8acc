#include "platform/services/SpellCheckerAPI.h"

#include <map>

namespace kr {

namespace {

class NoSpellChecker final : public SpellCheckerAPI {
public:
  bool isAvailable() const override { return false; }
  QString unavailableReason() const override {
    return QStringLiteral("no spelling dictionary is installed");
  }
  bool isCorrect(const QString&) override { return true; }
  QStringList suggestions(const QString&) override { return {}; }
};

NoSpellChecker noChecker;
SpellCheckerAPI* installedChecker = nullptr;

std::map<int, SpellCheckerAPI::DictionaryListener>& listeners() {
  static std::map<int, SpellCheckerAPI::DictionaryListener> all;
  return all;
}
int lastListenerId = 0;

} // namespace

SpellCheckerAPI& SpellCheckerAPI::shared() {
  return installedChecker ? *installedChecker : noChecker;
}

void SpellCheckerAPI::install(SpellCheckerAPI* checker) { installedChecker = checker; }

int SpellCheckerAPI::addDictionaryListener(DictionaryListener listener) {
  listeners().emplace(++lastListenerId, std::move(listener));
  return lastListenerId;
}

void SpellCheckerAPI::removeDictionaryListener(int id) { listeners().erase(id); }

void SpellCheckerAPI::dictionaryArrived() {
  // A listener may add or remove listeners.
  const auto copy = listeners();
  for (const auto& [id, listener] : copy) {
    if (listeners().count(id))
      listener();
  }
}

} // namespace kr
