#pragma once

#include "platform/files/FileSystemEvent.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <vector>

class QSocketNotifier;

namespace kr {

// The working half of FolderContentMonitor, living on the monitor's own
// thread: one inotify watch on each folder to watch and one on each folder
// inside it (a file package such as an RTFD log), so a new, changed or removed
// package, a file written inside a package and a file of the folder itself are
// all seen. Setting up costs one folder listing and one watch per package; the
// events of one read are merged and handed on together. It must live on a
// thread of its own: setting up moves that thread's working folder.
class InotifyFolderWatcher : public QObject {
public:
  // One change, flagged as FileSystemEvent flags.
  struct Change {
    QString path;
    quint32 flags = 0;
    bool operator==(const Change&) const = default;
  };
  using ChangesHandler = std::function<void(const std::vector<Change>&)>;
  // Which of the folders asked for are being watched after a set-up.
  using SetUpHandler = std::function<void(quint64 generation, bool watchingEverything)>;

  InotifyFolderWatcher(ChangesHandler changes, SetUpHandler setUp);
  ~InotifyFolderWatcher() override;
  InotifyFolderWatcher(const InotifyFolderWatcher&) = delete;
  InotifyFolderWatcher& operator=(const InotifyFolderWatcher&) = delete;

  // Drops every watch and watches `folders` and their packages instead.
  // Changes name paths under `folders` as given; `absolute` holds the same
  // folders as absolute paths (a relative path means nothing on this thread).
  void watch(const QStringList& folders, const QStringList& absolute, quint64 generation);
  int watchCount() const { return static_cast<int>(watched_.size()); }

private:
  // A watched folder: a folder to watch (`name` empty) or a package in one.
  // The package's name stays encoded until an event needs its path.
  struct Watched {
    int root = 0; // in roots_
    QByteArray name;
    bool isRoot() const { return name.isEmpty(); }
  };

  bool reopen();
  void close();
  bool addWatch(const char* path, int root, const QByteArray& name);
  void watchPackagesOf(int root);
  QString pathOf(const Watched& watched) const;
  void readEvents();
  void translate(int wd, quint32 mask, const QString& name, std::vector<Change>& changes);
  void reportLimitOnce(const QString& path, int error);

  ChangesHandler changes_;
  SetUpHandler setUp_;
  int fd_ = -1;
  QSocketNotifier* notifier_ = nullptr; // child of this
  QHash<int, Watched> watched_;
  QStringList roots_;
  QStringList absoluteRoots_;
  bool limitReported_ = false;
};

} // namespace kr
