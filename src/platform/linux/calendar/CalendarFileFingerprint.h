#pragma once

#include <QString>

#include <cstdint>

namespace kr {

// What tells one version of a file from the next without reading it: its
// modification time, size and inode (a file saved by renaming a new copy over
// it gets a new inode even within the same second).
struct CalendarFileFingerprint {
  bool exists = false;
  bool isFolder = false;
  std::int64_t size = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::uint64_t inode = 0;
  std::uint64_t device = 0;

  static CalendarFileFingerprint of(const QString& path);
  bool operator==(const CalendarFileFingerprint& other) const = default;
};

} // namespace kr
