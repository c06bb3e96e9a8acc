#pragma once

#include "platform/services/SpellCheckerAPI.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <memory>

class Hunspell;
class QObject;

namespace kr {

class DetachedJob;

// Spelling by Hunspell with the dictionary of the locale's language (for
// "de_AT" "de_AT", then any "de_*"), else "en_US", looked up in the
// "hunspell" and "myspell" folders of the system's data folders. The
// dictionary is read at the first check, on a thread of its own (a tenth of
// a second for English): until it arrives every word counts as spelt right,
// and the listeners are told when it does. Without an event loop to take it
// back to, it is read at once.
class HunspellSpellChecker final : public SpellCheckerAPI {
public:
  // `localeName` as QLocale names it; `folders` to search, the system's when empty.
  explicit HunspellSpellChecker(const QString& localeName, QStringList folders = {});
  ~HunspellSpellChecker() override;

  bool isAvailable() const override { return !affixPath_.isEmpty() && !loadFailed_; }
  QString unavailableReason() const override;
  bool isCorrect(const QString& word) override;
  QStringList suggestions(const QString& word) override;
  // The dictionary's name ("en_US"); empty when none was found.
  QString dictionaryName() const { return dictionaryName_; }
  // Whether the dictionary is in memory.
  bool isLoaded() const { return hunspell_ != nullptr; }
  // Reads under way in the process, of checkers still there or gone.
  static int readsUnderWay();

private:
  // True when the dictionary is in memory; otherwise starts reading it
  // unless that is under way or failed.
  bool ensureLoaded();
  void take(std::unique_ptr<Hunspell> loaded);

  QString localeName_;
  QString affixPath_;
  QString dictionaryName_;
  std::unique_ptr<Hunspell> hunspell_;
  // The read under way, shared with its thread; it may outlive the checker,
  // which lets go of it as it goes, so that a read that ends after the
  // checker (or at quit) delivers nothing and is not waited for.
  std::shared_ptr<DetachedJob> reading_;
  // Where the read's result is delivered, on the checker's thread.
  std::unique_ptr<QObject> receiver_;
  bool loadFailed_ = false;
  QStringEncoder encoder_;
  QStringDecoder decoder_;
};

} // namespace kr
