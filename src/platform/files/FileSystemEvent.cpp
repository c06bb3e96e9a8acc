#include "platform/files/FileSystemEvent.h"

#include <QStringList>

namespace kr {

QString FileSystemEvent::flagNames(quint32 flags) {
  static const std::pair<quint32, const char*> names[] = {
      {IsDir, "isDir"},
      {IsFile, "isFile"},
      {Created, "created"},
      {Modified, "modified"},
      {Removed, "removed"},
      {Renamed, "renamed"},
      {IsHardlink, "isHardlink"},
      {IsLastHardlink, "isLastHardlink"},
      {IsSymlink, "isSymlink"},
      {ChangeOwner, "changeOwner"},
      {FinderInfoModified, "finderInfoModified"},
      {InodeMetaModified, "inodeMetaModified"},
      {XattrsModified, "xattrsModified"},
  };
  QStringList present;
  for (const auto& [flag, name] : names) {
    if (flags & flag)
      present.append(QLatin1String(name));
  }
  return present.join(QStringLiteral(", "));
}

QString FileSystemEvent::description() const {
  return QStringLiteral("%1 - %2 - %3").arg(eventId).arg(eventFlags).arg(eventPath);
}

} // namespace kr
