#include "engine/LogFileCache.h"

#include "platform/QnLog.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace kr {

LogFileCache::FolderRead LogFileCache::readFolder(const QString& folder,
                                                  const PlainTextStyle& style) {
  FolderRead result;
  const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
  if (folderFd < 0)
    return result; // no folder: no logs
  QStringList names;
  if (DIR* listing = ::fdopendir(::dup(folderFd))) {
    static const QByteArray root = QByteArrayLiteral("System Log");
    while (const dirent* entry = ::readdir(listing)) {
      if (std::strncmp(entry->d_name, root.constData(), std::size_t(root.size())) == 0)
        names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(listing);
  }
  std::sort(names.begin(), names.end());
  result.files.reserve(std::size_t(names.size()));
  const QString prefix = folder + u'/';
  for (const QString& name : names) {
    const QString path = prefix + name;
    auto it = logFiles_.constFind(path);
    if (it == logFiles_.constEnd()) {
      createOrRetrieveLogFile(path);
      it = logFiles_.constFind(path);
    }
    LogFile& file = **it;
    if (file.read(style, folderFd))
      result.tagStringsParsed.append(file.tagStringsInFile());
    result.files.push_back(*it);
  }
  ::close(folderFd);
  return result;
}

LogFile& LogFileCache::createOrRetrieveLogFile(const QString& fullPath) {
  auto it = logFiles_.find(fullPath);
  if (it != logFiles_.end())
    return **it;
  qn_log(QStringLiteral("reading log file at: ") + fullPath);
  auto file = std::make_shared<LogFile>(fullPath);
  qn_log(QStringLiteral("--everything read."));
  it = logFiles_.insert(fullPath, std::move(file));
  qn_log(QStringLiteral("--stored."));
  return **it;
}

} // namespace kr
