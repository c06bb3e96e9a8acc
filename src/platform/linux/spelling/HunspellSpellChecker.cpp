#include "platform/linux/spelling/HunspellSpellChecker.h"

#include "platform/QnLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <hunspell/hunspell.hxx>

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

HunspellSpellChecker::HunspellSpellChecker(const QString& localeName, QStringList folders)
    : localeName_(localeName) {
  if (folders.isEmpty()) {
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
      folders << data + QStringLiteral("/hunspell") << data + QStringLiteral("/myspell")
              << data + QStringLiteral("/myspell/dicts");
    }
  }
  affixPath_ = findAffixFile(localeName, folders, &dictionaryName_);
}

HunspellSpellChecker::~HunspellSpellChecker() = default;

QString HunspellSpellChecker::unavailableReason() const {
  if (affixPath_.isEmpty())
    return QStringLiteral("no Hunspell dictionary for %1 or en_US").arg(localeName_);
  if (loadFailed_)
    return QStringLiteral("the dictionary %1 could not be read").arg(affixPath_);
  return {};
}

bool HunspellSpellChecker::load() {
  if (hunspell_)
    return true;
  if (affixPath_.isEmpty() || loadFailed_)
    return false;
  const QString dictionary = affixPath_.chopped(4) + QStringLiteral(".dic");
  hunspell_ = std::make_unique<Hunspell>(QFile::encodeName(affixPath_).constData(),
                                         QFile::encodeName(dictionary).constData());
  const QString encoding = QString::fromStdString(hunspell_->get_dict_encoding());
  encoder_ = QStringEncoder(encoding.toLatin1().constData());
  decoder_ = QStringDecoder(encoding.toLatin1().constData());
  if (!encoder_.isValid() || !decoder_.isValid()) {
    platformLog(QStringLiteral("Spelling: the dictionary %1 is in %2, which cannot be read")
                    .arg(affixPath_, encoding));
    hunspell_.reset();
    loadFailed_ = true;
    affixPath_.clear();
    return false;
  }
  return true;
}

bool HunspellSpellChecker::isCorrect(const QString& word) {
  if (word.isEmpty() || !load())
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
  if (word.isEmpty() || !load())
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
