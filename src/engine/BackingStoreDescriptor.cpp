#include "engine/BackingStoreDescriptor.h"

#include "engine/BackingStoreManager.h"
#include "engine/Clock.h"
#include "engine/EngineLog.h"
#include "platform/ConsoleText.h"
#include "platform/FatalError.h"
#include "platform/files/FileLock.h"
#include "platform/files/SupportPaths.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfdPackage.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace kr {

BackingStoreDescriptor::BackingStoreDescriptor()
    : index_(std::make_unique<BackingStoreIndex>(this)) {}

BackingStoreDescriptor::~BackingStoreDescriptor() = default;

QString BackingStoreDescriptor::root() const {
  QMutexLocker locker(&mutex_);
  return root_;
}

void BackingStoreDescriptor::setRoot(const QString& root) {
  QMutexLocker locker(&mutex_);
  root_ = root;
}

QString BackingStoreDescriptor::folderPath() const {
  QMutexLocker locker(&mutex_);
  return folderPath_;
}

void BackingStoreDescriptor::setFolderPath(const QString& folderPath) {
  QMutexLocker locker(&mutex_);
  folderPath_ = QDir::cleanPath(folderPath);
}

std::optional<QString> BackingStoreDescriptor::templateName() const {
  QMutexLocker locker(&mutex_);
  return templateName_;
}

void BackingStoreDescriptor::setTemplateName(const std::optional<QString>& name) {
  QMutexLocker locker(&mutex_);
  templateName_ = name;
}

void BackingStoreDescriptor::setNamingStrategy(
    std::unique_ptr<BackingStoreNamingStrategy> strategy) {
  namingStrategy_ = std::move(strategy);
  if (namingStrategy_)
    namingStrategy_->setDescriptor(this);
}

const BackingStoreNamingStrategy* BackingStoreDescriptor::namingStrategy() const {
  if (!namingStrategy_)
    KR_FATAL(QStringLiteral("backingstoredescriptor without naming strategy!"));
  return namingStrategy_.get();
}

void BackingStoreDescriptor::finishInitialization() {
  // What a write cut short by a crash or a kill left beside this machine's
  // packages is put right now, not only at the next write to that package;
  // but only under the package's lock, had at once: what a writer holding
  // it (another copy of the program) has beside the package is its own.
  // Without a lock to be had, the package's next write puts it right.
  const BackingStoreNamingStrategy* strategy = namingStrategy();
  const QString folder = folderPath();
  int recovered = 0;
  for (const QString& name : RtfdPackage::packagesWithLeftoversIn(folder)) {
    if (!strategy->ownsFileName(name))
      continue;
    FileLock lock(SupportPaths::packageLockFile(folder + QLatin1Char('/') + name));
    QString why;
    if (!lock.acquire(std::chrono::milliseconds(0), &why) || lock.isWithoutLock())
      continue;
    recovered += RtfdPackage::recoverLeftoversIn(
        folder, [&name](const QString& owner) { return owner == name; });
  }
  if (recovered > 0)
    qCInfo(lcEngine).noquote() << QStringLiteral(
                                      "%1: put right %2 copies left by an interrupted write")
                                      .arg(consoleSafe(folder))
                                      .arg(recovered);
  index_->refreshIndexFromDisk();
}

QString BackingStoreDescriptor::getPathToCurrentFile() const {
  return namingStrategy()->generateIDFor(Clock::nowAsDate(), 0);
}

std::optional<qint64> BackingStoreDescriptor::sequenceNumberOfName(const QString& fileName) const {
  static const QRegularExpression pattern(QStringLiteral("^ (\\d{6,18})\\.rtfd$"));
  const QString rootText = root();
  if (!fileName.startsWith(rootText))
    return std::nullopt;
  const QRegularExpressionMatch match = pattern.match(fileName.mid(rootText.size()));
  if (!match.hasMatch())
    return std::nullopt;
  return match.captured(1).toLongLong();
}

QString BackingStoreDescriptor::getPathToNewFile() const {
  // The highest numbered page decides, whatever else the folder holds and
  // however the numbers are spread.
  qint64 highest = -1;
  for (const QString& path : index_->indexOfIDs()) {
    if (const auto number = sequenceNumberOfName(QFileInfo(path).fileName()))
      highest = std::max(highest, *number);
  }
  qint64 next = highest + 1;
  // A page that arrived after the last rescan is never reused.
  QString path = namingStrategy()->generateIDFor(Clock::nowAsDate(), next);
  while (QFileInfo::exists(path))
    path = namingStrategy()->generateIDFor(Clock::nowAsDate(), ++next);
  return path;
}

QString BackingStoreDescriptor::getPathToSelectedFile() {
  if (!index_->selectedID())
    index_->pointToLastFile();
  const QString path = index_->selectedID().value_or(getPathToCurrentFile());
  const std::optional<QString> name = templateName();
  if (!name || QFileInfo::exists(path) || QFileInfo(path).isSymLink())
    return path;
  const QByteArray rtf = BackingStoreManager::sharedManager().loadTemplateDataFromBundle(*name);
  QString error;
  // Made once, also by two copies of the program that start together.
  FileLock lock(SupportPaths::packageLockFile(path));
  if (!lock.acquire(BackingStoreManager::kSheetLockWait, &error))
    error = QStringLiteral("its lock file %1 %2").arg(lock.path(), error);
  else if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
    return path;
  if (!lock.isHeld() || !ensureFolder(folderPath(), &error) ||
      !RtfdPackage::write(path, RtfReader::read(rtf).text, &error))
    qCWarning(lcEngine).noquote() << consoleSafe(
        QStringLiteral("could not write %1 (%2)").arg(path, error));
  return path;
}

bool BackingStoreDescriptor::ensureFolder(const QString& folder, QString* error) {
  const QFileInfo info(folder);
  if (info.isDir())
    return true;
  if (!info.exists() && QDir().mkpath(folder))
    return true;
  if (error)
    *error = QStringLiteral("Could not create folder path at: %1").arg(folder);
  return false;
}

} // namespace kr
