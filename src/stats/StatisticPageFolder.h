#pragma once

#include <QString>

namespace kr {

// The folder of a statistics page: the chart files of the resource folder
// ":/stats" and "index.html". A new folder is built beside the one shown and
// then exchanged with it in one step, so a failure never leaves the shown
// page half written or gone.
class StatisticPageFolder {
public:
  // Builds a new folder inside `parent` holding the chart files and the page.
  // Returns its path, or nothing (with the reason) when it could not be
  // written completely; nothing is left behind then.
  static QString build(const QString& parent, const QString& page, QString* error = nullptr);
  // Puts `fresh` in the place of `target` and removes what stood there. A
  // symbolic link at `target` is removed itself, never what it points to.
  static bool swapIn(const QString& fresh, const QString& target, QString* error = nullptr);
  // Removes the folders that an interrupted build or swap left in `parent`.
  static void removeLeftovers(const QString& parent);
  // The name prefix of those folders.
  static QString temporaryPrefix();

private:
  static bool copyChartFiles(const QString& folder, QString* error);
  static void removeEntry(const QString& path);
};

} // namespace kr
