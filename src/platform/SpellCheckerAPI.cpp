#include "platform/SpellCheckerAPI.h"

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

} // namespace

SpellCheckerAPI& SpellCheckerAPI::shared() {
  return installedChecker ? *installedChecker : noChecker;
}

void SpellCheckerAPI::install(SpellCheckerAPI* checker) { installedChecker = checker; }

} // namespace kr
