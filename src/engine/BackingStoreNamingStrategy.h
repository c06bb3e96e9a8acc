#pragma once

#include <QDateTime>
#include <QString>

namespace kr {

class BackingStoreDescriptor;

// Forms the full paths of the files of one store. The base class has no rule
// of its own; each subclass names files its own way.
class BackingStoreNamingStrategy {
public:
  virtual ~BackingStoreNamingStrategy() = default;

  virtual QString generateIDFor(const QDateTime& date, qint64 sequenceNumber) const;
  // Whether a file of this name is this program's to write on this machine
  // (a shared folder may hold other machines' files). All by default.
  virtual bool ownsFileName(const QString& fileName) const;

  BackingStoreDescriptor* descriptor() const { return descriptor_; }
  void setDescriptor(BackingStoreDescriptor* descriptor) { descriptor_ = descriptor; }

  // The calendar date of a moment in the local time zone, as "%03d-%02d-%02d"
  // (Gregorian, whatever the user's locale prefers).
  static QString formatDay(const QDate& day);

protected:
  // The name ends in " (<this machine's identifier>).rtfd".
  static bool namedForThisMachine(const QString& fileName);
  // folderPath / root + suffix + ".rtfd"
  QString pathWithSuffix(const QString& suffix) const;

private:
  BackingStoreDescriptor* descriptor_ = nullptr;
};

} // namespace kr
