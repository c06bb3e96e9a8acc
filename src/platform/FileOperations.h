#pragma once

#include <QString>

namespace kr {

// File-system operations that the standard Qt classes do not offer.
class FileOperations {
public:
  // Renames a file or folder without ever replacing an existing one: fails
  // when something exists at `to`. Atomic on file systems that support it.
  static bool renameNoReplace(const QString& from, const QString& to, QString* error = nullptr);
  // Swaps two existing paths in one atomic step. Fails on file systems that
  // cannot exchange, leaving both paths as they were.
  static bool exchange(const QString& a, const QString& b, QString* error = nullptr);
  // Removes a file or a whole folder; true when nothing is left at the path.
  static bool removePath(const QString& path);
};

} // namespace kr
