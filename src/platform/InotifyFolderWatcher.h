#pragma once

#include "platform/FileSystemEvent.h"

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
// events of one read are merged and handed on together.
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
  void watch(const QStringList& folders, quint64 generation);
  int watchCount() const { return static_cast<int>(watched_.size()); }

private:
  struct Watched {
    QString path;
    bool isRoot = false;
  };

  bool reopen();
  void close();
  bool addWatch(const QString& path, bool isRoot);
  void watchPackagesOf(const QString& folder);
  void readEvents();
  void translate(int wd, quint32 mask, const QString& name, std::vector<Change>& changes);
  void reportLimitOnce(const QString& path, int error);

  ChangesHandler changes_;
  SetUpHandler setUp_;
  int fd_ = -1;
  QSocketNotifier* notifier_ = nullptr; // child of this
  QHash<int, Watched> watched_;
  QStringList roots_;
  bool limitReported_ = false;
};

} // namespace kr
