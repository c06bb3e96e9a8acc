#pragma once

#include <QMutex>
#include <QObject>
#include <QStringList>

#include <optional>

namespace kr {

class BackingStoreDescriptor;

// The sorted full paths of one store's files and the selected one.
class BackingStoreIndex final : public QObject {
  Q_OBJECT

public:
  // The name under which other parts of the system know indexChanged().
  static constexpr const char* kChangedNotificationName = "BackingStoreIndexChangedNotification";

  explicit BackingStoreIndex(BackingStoreDescriptor* descriptor);

  BackingStoreDescriptor* descriptor() const { return descriptor_; }

  // Creates the store's folder when missing, lists the files whose names
  // begin with the root, sorts them by plain text comparison and selects the
  // last path when nothing is selected. Never leaves the index empty: without
  // files it holds the path the store would give today's or the first file.
  void refreshIndexFromDisk();

  QStringList indexOfIDs() const;
  std::optional<QString> selectedID() const { return selectedID_; }
  void setSelectedID(const std::optional<QString>& path);

  // The path after, or before, the selected one; none at the ends and none
  // when the selection is not listed. The selection does not move.
  std::optional<QString> nextID() const;
  std::optional<QString> previousID() const;
  bool hasNextID() const { return nextID().has_value(); }
  bool hasPreviousID() const { return previousID().has_value(); }
  std::optional<QString> lastID() const;

  void pointToLastFile();
  void pointToFirstFile();
  // Any path, listed or not.
  void pointToFileWithID(const QString& path);

Q_SIGNALS:
  void selectedIDChanged();
  // Emitted after every rescan.
  void indexChanged(kr::BackingStoreIndex* index);

private:
  std::optional<QString> neighbour(int step) const;

  BackingStoreDescriptor* descriptor_;
  mutable QMutex mutex_;
  QStringList indexOfIDs_;
  std::optional<QString> selectedID_;
};

} // namespace kr
