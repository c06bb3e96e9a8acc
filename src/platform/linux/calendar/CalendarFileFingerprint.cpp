#include "platform/linux/calendar/CalendarFileFingerprint.h"

#include <QFile>

#include <sys/stat.h>

namespace kr {

CalendarFileFingerprint CalendarFileFingerprint::of(const QString& path) {
  CalendarFileFingerprint print;
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0)
    return print;
  print.exists = true;
  print.isFolder = S_ISDIR(info.st_mode);
  print.size = info.st_size;
  print.modifiedNanoseconds = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  print.inode = info.st_ino;
  print.device = info.st_dev;
  return print;
}

} // namespace kr
