#include "platform/linux/spelling/HunspellSpellChecker.h"

#include "platform/DetachedJob.h"
#include "platform/QnLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <hunspell/hunspell.hxx>

#include <atomic>

namespace kr {

namespace {

// Hunspell reads words of at most this many bytes.
constexpr qsizetype kLongestWord = 100;

QString findAffixFile(const QString& localeName, const QStringList& folders, QString* name) {
  const QString language = localeName.section(QLatin1Char('_'), 0, 0);
  const auto find = [&](const QString& wanted) -> QString {
    for (const QString& folder : folders) {
      const QDir dir(folder);
      const QStringList affixes =
          dir.entryList({wanted + QStringLiteral(".aff")}, QDir::Files, QDir::Name);
      for (const QString& affix : affixes) {
        const QString base = affix.chopped(4);
        if (QFileInfo(dir.filePath(base + QStringLiteral(".dic"))).isFile()) {
          *name = base;
          return dir.filePath(affix);
        }
      }
    }
    return {};
  };
  QString found;
  if (!localeName.isEmpty() && localeName != QLatin1String("C"))
    found = find(localeName);
  if (found.isEmpty() && !language.isEmpty() && language != QLatin1String("C"))
    found = find(language + QStringLiteral("_*"));
  if (found.isEmpty())
    found = find(QStringLiteral("en_US"));
  return found;
}

} // namespace

namespace {
std::atomic<int> readsRunning{0};
} // namespace

int HunspellSpellChecker::readsUnderWay() { return readsRunning.load(); }

HunspellSpellChecker::HunspellSpellChecker(const QString& localeName, QStringList folders)
    : localeName_(localeName), receiver_(std::make_unique<QObject>()) {
  if (folders.isEmpty()) {
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
      folders << data + QStringLiteral("/hunspell") << data + QStringLiteral("/myspell")
              << data + QStringLiteral("/myspell/dicts");
    }
  }
  affixPath_ = findAffixFile(localeName, folders, &dictionaryName_);
}

HunspellSpellChecker::~HunspellSpellChecker() {
  if (reading_)
    reading_->release();
}

QString HunspellSpellChecker::unavailableReason() const {
  if (loadFailed_)
    return QStringLiteral("the dictionary %1 could not be read").arg(affixPath_);
  if (affixPath_.isEmpty())
    return QStringLiteral("no Hunspell dictionary for %1 or en_US").arg(localeName_);
  return {};
}

bool HunspellSpellChecker::ensureLoaded() {
  if (hunspell_)
    return true;
  if (affixPath_.isEmpty() || loadFailed_ || reading_)
    return false;
  const QByteArray affix = QFile::encodeName(affixPath_);
  const QByteArray dictionary = QFile::encodeName(affixPath_.chopped(4) + QStringLiteral(".dic"));
  if (!QCoreApplication::instance()) {
    take(std::make_unique<Hunspell>(affix.constData(), dictionary.constData()));
    return hunspell_ != nullptr;
  }
  ++readsRunning;
  reading_ = DetachedJob::start(
      receiver_.get(), "spellingReader", [checker = this, affix, dictionary](DetachedJob& job) {
        auto loaded = std::make_shared<std::unique_ptr<Hunspell>>(
            std::make_unique<Hunspell>(affix.constData(), dictionary.constData()));
        --readsRunning;
        // On the checker's thread: the checker is there while the job is held.
        job.handBack([checker, loaded] { checker->take(std::move(*loaded)); });
      });
  return false;
}

void HunspellSpellChecker::take(std::unique_ptr<Hunspell> loaded) {
  reading_.reset();
  const QString encoding = QString::fromStdString(loaded->get_dict_encoding());
  encoder_ = QStringEncoder(encoding.toLatin1().constData());
  decoder_ = QStringDecoder(encoding.toLatin1().constData());
  if (!encoder_.isValid() || !decoder_.isValid()) {
    platformLog(QStringLiteral("Spelling: the dictionary %1 is in %2, which cannot be read")
                    .arg(affixPath_, encoding));
    loadFailed_ = true;
    return;
  }
  hunspell_ = std::move(loaded);
  SpellCheckerAPI::dictionaryArrived();
}

bool HunspellSpellChecker::isCorrect(const QString& word) {
  if (word.isEmpty() || !ensureLoaded())
    return true;
  const QByteArray bytes = encoder_.encode(word);
  if (encoder_.hasError()) {
    encoder_.resetState();
    return true;
  }
  if (bytes.size() > kLongestWord)
    return true;
  return hunspell_->spell(bytes.toStdString());
}

QStringList HunspellSpellChecker::suggestions(const QString& word) {
  QStringList result;
  if (word.isEmpty() || !ensureLoaded())
    return result;
  const QByteArray bytes = encoder_.encode(word);
  if (encoder_.hasError() || bytes.size() > kLongestWord) {
    encoder_.resetState();
    return result;
  }
  for (const std::string& suggestion : hunspell_->suggest(bytes.toStdString()))
    result << decoder_.decode(QByteArray::fromStdString(suggestion));
  return result;
}

} // namespace kr
