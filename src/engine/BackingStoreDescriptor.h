#pragma once

#include "engine/BackingStoreIndex.h"
#include "engine/BackingStoreNamingStrategy.h"

#include <QMutex>
#include <QString>

#include <memory>
#include <optional>

namespace kr {

// One store: a folder of rich-text packages whose names begin with `root`
// and are formed by one naming strategy. Configure it by setting the folder,
// root, template (pads) and strategy, then call finishInitialization().
class BackingStoreDescriptor {
public:
  BackingStoreDescriptor();
  ~BackingStoreDescriptor();
  BackingStoreDescriptor(const BackingStoreDescriptor&) = delete;
  BackingStoreDescriptor& operator=(const BackingStoreDescriptor&) = delete;

  // Readable from any thread (the log reload reads them on its worker).
  QString root() const;
  void setRoot(const QString& root);
  QString folderPath() const;
  void setFolderPath(const QString& folderPath);
  std::optional<QString> templateName() const;
  void setTemplateName(const std::optional<QString>& name);

  BackingStoreIndex& index() { return *index_; }
  const BackingStoreIndex& index() const { return *index_; }

  // The store takes the strategy and becomes its descriptor.
  void setNamingStrategy(std::unique_ptr<BackingStoreNamingStrategy> strategy);
  // Stops the program when the store was never given a strategy.
  const BackingStoreNamingStrategy* namingStrategy() const;

  // Rescans the index, which creates the folder.
  void finishInitialization();

  // The strategy's path for now and sequence number 0 (the log: today's file
  // of this machine).
  QString getPathToCurrentFile() const;
  // The path of a page numbered one more than the highest numbered page.
  QString getPathToNewFile() const;
  // The selected path (the last one when nothing is selected), after creating
  // a missing file from the store's template.
  QString getPathToSelectedFile();

  void pointToLastFile() { index_->pointToLastFile(); }
  void pointToFirstFile() { index_->pointToFirstFile(); }
  void pointToFileWithID(const QString& path) { index_->pointToFileWithID(path); }

  // The number of a conforming page name ("<root> 000012.rtfd" gives 12);
  // none for any other name.
  std::optional<qint64> sequenceNumberOfName(const QString& fileName) const;
  // Creates the folder with its missing parents; false with a message when
  // it cannot.
  static bool ensureFolder(const QString& folder, QString* error);

private:
  mutable QMutex mutex_;
  QString root_;
  QString folderPath_;
  std::optional<QString> templateName_;
  std::unique_ptr<BackingStoreIndex> index_;
  std::unique_ptr<BackingStoreNamingStrategy> namingStrategy_;
};

} // namespace kr
