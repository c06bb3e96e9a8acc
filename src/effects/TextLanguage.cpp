#include "effects/TextLanguage.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace kr {

namespace {
struct Language {
  const char* code;
  QSet<QString> words;
};

QSet<QString> wordSet(const char* words) {
  const QStringList list = QString::fromUtf8(words).split(u' ', Qt::SkipEmptyParts);
  return QSet<QString>(list.begin(), list.end());
}

const std::vector<Language>& languages() {
  static const std::vector<Language> all = {
      {"en", wordSet("the a an and or of to in on at is are was be will it this that you your "
                     "for with as left only time slice break minutes minute starting elapsed "
                     "stopped paused finished start stop working soon seconds now")},
      {"de", wordSet("der die das und oder ist sind nicht ein eine zu mit von für auf noch nur "
                     "minuten minute pause zeit beginnt endet jetzt bald sekunden ich du sie")},
      {"fr", wordSet("le la les et ou est sont pas un une de des pour avec sur il reste "
                     "seulement minutes pause temps commence maintenant bientôt secondes je vous")},
      {"es", wordSet("el la los las y o es son no un una de del para con en quedan solo "
                     "minutos pausa tiempo empieza ahora pronto segundos yo usted")},
      {"it", wordSet("il lo la gli le e o è sono non un una di per con su restano solo minuti "
                     "pausa tempo inizia adesso presto secondi io lei")},
      {"nl", wordSet("de het een en of is zijn niet van voor met op nog alleen minuten pauze "
                     "tijd begint nu straks seconden ik je")},
  };
  return all;
}
} // namespace

QString TextLanguage::guess(const QString& text) {
  static const QRegularExpression nonLetters(QStringLiteral("[^\\p{L}']+"));
  const QStringList words = text.toLower().split(nonLetters, Qt::SkipEmptyParts);
  const char* best = "";
  int bestScore = 0;
  for (const Language& language : languages()) {
    int score = 0;
    for (const QString& word : words)
      score += language.words.contains(word) ? 1 : 0;
    if (score > bestScore) {
      bestScore = score;
      best = language.code;
    }
  }
  return QString::fromLatin1(best);
}

} // namespace kr
