#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace kr {

// The settings file is an INI file that the settings store decodes with
// Qt's own reader, and that reader turns "@Variant(...)" values into data
// by trusting the lengths and counts written inside them: a damaged or
// hand-made value can make it reserve tens of gigabytes or recurse without
// end before a single key is read. These checks read the file the way that
// reader splits and unescapes it, walk every binary value without
// allocating, and set aside the entries whose values could not be decoded
// safely, before the store opens the file.
class StoredSettingsCheck {
public:
  struct UnreadableEntry {
    QString key;     // as written in the file, for the log
    qsizetype start; // byte range of the whole entry in the file
    qsizetype length;
  };

  // Entries of `data` (an INI file's bytes) holding a binary value that
  // cannot be decoded within its own bytes, or of a kind the store never
  // writes.
  static QList<UnreadableEntry> unreadableEntries(QByteArrayView data);

  // Whether one unescaped value (or one item of a list) is safe to decode:
  // anything that is not a binary value is.
  static bool isSafeToDecode(const QString& unescapedValue);

  // `data` without the given entries (found in it by unreadableEntries()).
  static QByteArray withoutEntries(QByteArrayView data, const QList<UnreadableEntry>& entries);

  // Checks the file at `path`; when it holds unreadable entries, keeps the
  // original beside it as "<path>.damaged", writes it back without them
  // (unless it is read-only, or its lock is held for long) and logs each
  // key. Returns the keys set aside.
  static QStringList setAsideUnreadableEntries(const QString& path);
};

} // namespace kr
