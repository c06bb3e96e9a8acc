#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kr {

// Checks the spelling of single words. Start-up installs the system's
// checker; until then, and where no dictionary exists, nothing is checked:
// every word is taken as spelt right and there are no suggestions.
class SpellCheckerAPI {
public:
  virtual ~SpellCheckerAPI() = default;

  virtual bool isAvailable() const = 0;
  // Why the checker is not available (empty when it is).
  virtual QString unavailableReason() const = 0;
  virtual bool isCorrect(const QString& word) = 0;
  // The best suggestion first; empty when there is none.
  virtual QStringList suggestions(const QString& word) = 0;

  // A checker whose dictionary arrives later takes every word as spelt right
  // until then, and says so here when it arrives: what was checked before is
  // to be checked again.
  using DictionaryListener = std::function<void()>;
  // Returns an identifier for removeDictionaryListener.
  static int addDictionaryListener(DictionaryListener listener);
  static void removeDictionaryListener(int id);
  static void dictionaryArrived();

  static SpellCheckerAPI& shared();
  // Not owned; nullptr restores the checker that checks nothing.
  static void install(SpellCheckerAPI* checker);
};

} // namespace kr
