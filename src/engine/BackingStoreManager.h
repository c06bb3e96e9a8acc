#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <optional>

namespace kr {

class BackingStoreDescriptor;

// Reads and writes the files of every store, and gives the support folder,
// this machine's identifier and fresh slice identifiers.
class BackingStoreManager {
public:
  static BackingStoreManager& sharedManager();

  // The bytes of the template ":/templates/<name>.rtf"; a missing template is
  // an installation fault and stops the program.
  QByteArray loadTemplateDataFromBundle(const QString& name) const;

  // This machine's identifier in log-file names, read once per run and
  // always hexadecimal.
  QString obtainMACAddress();
  // Tests only: the identifier to give instead (empty: read it again).
  void setMachineIdentifierForTesting(const QString& identifier);

  // The path of a new numbered page of the store; the index is rescanned.
  // No file is written.
  QString newFile(BackingStoreDescriptor& store);
  // Removes the file or package (a failure is ignored), then rescans.
  void removeSheetFromDescriptor(BackingStoreDescriptor& store, const QString& path);

  // ~/.local/share/Korvane-R (or the temporary folder's Korvane-R).
  QString applicationSupportDirectory() const;
  // A new identifier: 32 upper-case hex digits in groups of 8-4-4-4-12.
  static QString createUUID();

private:
  BackingStoreManager() = default;

  QMutex mutex_;
  std::optional<QString> machineIdentifier_;
};

} // namespace kr
