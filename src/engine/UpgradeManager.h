#pragma once

#include <QString>

namespace kr {

// Brings the names of log files written by early versions up to date: a name
// without a closing parenthesis gets this machine's identifier before its
// extension. Runs at launch, before anything reads the log folder, after
// removing what a splice that was killed left (see SplicesUnderWay).
class UpgradeManager {
public:
  static UpgradeManager& sharedInstance();

  void upgradeEverything();

  // Renames the old log files of one folder; returns how many were renamed.
  // A name that is already taken is never replaced: that file keeps its old
  // name and is tried again at the next launch.
  int upgradeLogFolder(const QString& folder, const QString& root, const QString& identifier);

private:
  UpgradeManager() = default;
  void upgradeSystemLogs();
};

} // namespace kr
