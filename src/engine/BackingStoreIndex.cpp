#include "engine/BackingStoreIndex.h"

#include "engine/BackingStoreDescriptor.h"
#include "engine/Clock.h"
#include "engine/EngineLog.h"
#include "platform/ConsoleText.h"
#include "platform/QnLog.h"
#include "platform/files/FileOperations.h"

#include <algorithm>

namespace kr {

BackingStoreIndex::BackingStoreIndex(BackingStoreDescriptor* descriptor)
    : descriptor_(descriptor) {}

void BackingStoreIndex::refreshIndexFromDisk() {
  const QString folder = descriptor_->folderPath();
  // A folder that cannot be created (an unmounted or read-only share) leaves
  // an index of the expected path; writing into it reports the failure.
  QString error;
  if (!BackingStoreDescriptor::ensureFolder(folder, &error))
    qCWarning(lcEngine).noquote() << consoleSafe(error);

  const QString root = descriptor_->root();
  // No entry examined, and the names sorted before the folder is put in
  // front of them: thousands of logs. Plain code-unit order, without the
  // locale: dated names sort by day, numbered pages by number.
  QStringList names = FileOperations::entryNames(folder, root);
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; });
  QStringList paths;
  paths.reserve(names.size());
  for (const QString& name : names)
    paths << folder + u'/' + name;
  if (paths.isEmpty())
    paths << descriptor_->namingStrategy()->generateIDFor(Clock::nowAsDate(), 0);
  {
    QMutexLocker locker(&mutex_);
    indexOfIDs_ = paths;
  }
  if (!selectedID_)
    setSelectedID(paths.last());
  Q_EMIT indexChanged(this);
}

QStringList BackingStoreIndex::indexOfIDs() const {
  QMutexLocker locker(&mutex_);
  return indexOfIDs_;
}

void BackingStoreIndex::setSelectedID(const std::optional<QString>& path) {
  if (selectedID_ == path)
    return;
  selectedID_ = path;
  Q_EMIT selectedIDChanged();
}

std::optional<QString> BackingStoreIndex::neighbour(int step) const {
  if (!selectedID_)
    return std::nullopt;
  const QStringList paths = indexOfIDs();
  const qsizetype position = paths.indexOf(*selectedID_);
  if (position < 0) {
    qn_log(QStringLiteral("the selected file %1 is not in the index of %2")
               .arg(*selectedID_, descriptor_->folderPath()));
    return std::nullopt;
  }
  const qsizetype target = position + step;
  if (target < 0 || target >= paths.size())
    return std::nullopt;
  return paths.at(target);
}

std::optional<QString> BackingStoreIndex::nextID() const { return neighbour(1); }

std::optional<QString> BackingStoreIndex::previousID() const { return neighbour(-1); }

std::optional<QString> BackingStoreIndex::lastID() const {
  const QStringList paths = indexOfIDs();
  if (paths.isEmpty())
    return std::nullopt;
  return paths.last();
}

void BackingStoreIndex::pointToLastFile() {
  if (const auto last = lastID())
    setSelectedID(*last);
}

void BackingStoreIndex::pointToFirstFile() {
  const QStringList paths = indexOfIDs();
  if (!paths.isEmpty())
    setSelectedID(paths.first());
}

void BackingStoreIndex::pointToFileWithID(const QString& path) { setSelectedID(path); }

} // namespace kr
