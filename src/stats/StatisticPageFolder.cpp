#include "stats/StatisticPageFolder.h"

#include "platform/files/FileOperations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>

namespace kr {

namespace {

const QString kChartFiles = QStringLiteral(":/stats");

void setError(QString* error, const QString& text) {
  if (error)
    *error = text;
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

} // namespace

QString StatisticPageFolder::temporaryPrefix() { return QStringLiteral(".stats-"); }

QString StatisticPageFolder::build(const QString& parent, const QString& page, QString* error) {
  if (!QDir().mkpath(parent)) {
    setError(error, QStringLiteral("cannot create the folder %1").arg(parent));
    return {};
  }
  QByteArray pattern =
      QFile::encodeName(parent + u'/' + temporaryPrefix() + QStringLiteral("XXXXXX"));
  if (!::mkdtemp(pattern.data())) {
    setError(error, QStringLiteral("cannot create a folder in %1: %2").arg(parent, systemError()));
    return {};
  }
  const QString folder = QFile::decodeName(pattern);
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                    QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
  const QString indexPath = folder + QStringLiteral("/index.html");
  // The folder is new and no one reads it before the swap, so the page is
  // written in place. Unbuffered, so that a short write (a file-size limit)
  // is seen as one.
  QFile index(indexPath);
  const QByteArray bytes = page.toUtf8();
  bool written = copyChartFiles(folder, error) &&
                 // own-file: in a folder of our own, just made under a name no one else has
                 index.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                 index.write(bytes) == bytes.size();
  index.close();
  written = written && QFileInfo(indexPath).size() == bytes.size();
  if (!written) {
    if (error && error->isEmpty())
      *error = QStringLiteral("cannot write %1: %2")
                   .arg(indexPath, index.error() == QFileDevice::NoError
                                       ? QStringLiteral("written incompletely")
                                       : index.errorString());
    removeEntry(folder);
    return {};
  }
  return folder;
}

bool StatisticPageFolder::copyChartFiles(const QString& folder, QString* error) {
  // Without chart files the page is written all the same; it shows no chart.
  QDirIterator files(kChartFiles, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString source = files.next();
    const QString target = folder + source.mid(kChartFiles.size());
    if (!QDir().mkpath(QFileInfo(target).path())) {
      setError(error, QStringLiteral("cannot create the folder of %1").arg(target));
      return false;
    }
    QFile from(source);
    QFile to(target);
    // own-file: the chart files built into the program, into the folder just made
    if (!from.open(QIODevice::ReadOnly) || !to.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
      setError(error, QStringLiteral("cannot copy %1: %2").arg(source, to.errorString()));
      return false;
    }
    const QByteArray bytes = from.readAll();
    if (to.write(bytes) != bytes.size()) {
      setError(error, QStringLiteral("cannot write %1: %2").arg(target, to.errorString()));
      return false;
    }
  }
  return true;
}

bool StatisticPageFolder::swapIn(const QString& fresh, const QString& target, QString* error) {
  const QByteArray from = QFile::encodeName(fresh);
  const QByteArray to = QFile::encodeName(target);
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
    removeEntry(fresh); // now the old folder (or link)
    return true;
  }
  const int code = errno;
  QString reason;
  const QFileInfo old(target);
  if (code == ENOENT || (!old.exists() && !old.isSymLink())) {
    // Nothing to exchange with (renamed without replacing, with the same
    // fallback where the flag is not known).
    if (FileOperations::renameNoReplace(fresh, target, &reason))
      return true;
  } else if (code == EINVAL || code == ENOSYS || code == EXDEV) {
    // A file system without the exchange (network and FUSE mounts): the old
    // folder is set aside under a leftover's name, the new one renamed in,
    // and the old one put back when that fails.
    const QByteArray aside = QFile::encodeName(
        QFileInfo(target).path() + u'/' + temporaryPrefix() + QStringLiteral("old-") +
        QString::number(QRandomGenerator::global()->generate64(), 16));
    if (::rename(to.constData(), aside.constData()) == 0) {
      if (::rename(from.constData(), to.constData()) == 0) {
        removeEntry(QFile::decodeName(aside));
        return true;
      }
      reason = systemError();
      ::rename(aside.constData(), to.constData());
    } else {
      reason = systemError();
    }
  } else {
    reason = QString::fromLocal8Bit(std::strerror(code));
  }
  setError(error, QStringLiteral("cannot put %1 in place: %2").arg(fresh, reason));
  removeEntry(fresh);
  return false;
}

void StatisticPageFolder::removeLeftovers(const QString& parent) {
  const QDir folder(parent);
  const QStringList names =
      folder.entryList({temporaryPrefix() + u'*'},
                       QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& name : names)
    removeEntry(folder.filePath(name));
}

void StatisticPageFolder::removeEntry(const QString& path) {
  const QFileInfo info(path);
  if (info.isSymLink() || !info.isDir())
    QFile::remove(path);
  else
    QDir(path).removeRecursively();
}

} // namespace kr
