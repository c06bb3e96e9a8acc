#pragma once

#include <QString>
#include <QtGlobal>

namespace kr {

// One change seen in a watched folder.
struct FileSystemEvent {
  enum Flag : quint32 {
    Created = 0x100,
    Removed = 0x200,
    InodeMetaModified = 0x400,
    Renamed = 0x800,
    Modified = 0x1000,
    FinderInfoModified = 0x2000,
    ChangeOwner = 0x4000,
    XattrsModified = 0x8000,
    IsFile = 0x10000,
    IsDir = 0x20000,
    IsSymlink = 0x40000,
    IsHardlink = 0x100000,
    IsLastHardlink = 0x200000,
  };
  // The flags that tell of a change of content.
  static constexpr quint32 kContentChangeMask = 0x2fb00;

  quint64 eventId = 0;
  QString eventPath;
  quint32 eventFlags = 0;

  bool isContentChange() const { return (eventFlags & kContentChangeMask) != 0; }
  // "isDir, modified": the names of the flags present.
  static QString flagNames(quint32 flags);
  // "<id> - <flags> - <path>"
  QString description() const;
};

} // namespace kr
