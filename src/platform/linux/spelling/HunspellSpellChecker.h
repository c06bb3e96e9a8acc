#pragma once

#include "platform/SpellCheckerAPI.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <memory>

class Hunspell;

namespace kr {

// Spelling by Hunspell with the dictionary of the locale's language (for
// "de_AT" "de_AT", then any "de_*"), else "en_US", looked up in the
// "hunspell" and "myspell" folders of the system's data folders. The
// dictionary is loaded at the first check.
class HunspellSpellChecker final : public SpellCheckerAPI {
public:
  // `localeName` as QLocale names it; `folders` to search, the system's when empty.
  explicit HunspellSpellChecker(const QString& localeName, QStringList folders = {});
  ~HunspellSpellChecker() override;

  bool isAvailable() const override { return !affixPath_.isEmpty(); }
  QString unavailableReason() const override;
  bool isCorrect(const QString& word) override;
  QStringList suggestions(const QString& word) override;
  // The dictionary's name ("en_US"); empty when none was found.
  QString dictionaryName() const { return dictionaryName_; }

private:
  bool load();

  QString localeName_;
  QString affixPath_;
  QString dictionaryName_;
  std::unique_ptr<Hunspell> hunspell_;
  bool loadFailed_ = false;
  QStringEncoder encoder_;
  QStringDecoder decoder_;
};

} // namespace kr
