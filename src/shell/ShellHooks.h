#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kr {

// The calls start-up and quitting make into parts of the application that are
// built elsewhere (status item, help, log files, hot keys, pads, ...). Each
// is installed when its part exists; an empty one is skipped.
struct ShellHooks {
  // First launch: whether the application starts at login, and adding it.
  std::function<bool()> isLoginItem;
  std::function<void()> addLoginItem;
  // The status item in the tray, its title and state, its state menu items.
  std::function<void()> createStatusItem;
  std::function<void(const QString& title, int state)> setStatusItem;
  std::function<void()> removeAllStatusMenuItems;
  // The log files: the first reload about a second after start, the monitor
  // of the log folder, renaming the files of older versions.
  std::function<void()> scheduleLogFileReload;
  std::function<void()> startLogFolderMonitor;
  std::function<void()> upgradeEverything;
  // The statistics data set read at start-up.
  std::function<void()> prepareStatisticsDataSet;
  // Starts writing every logged slice as CSV to the path, off the window's
  // thread; false when an export is already under way. A failed write is
  // told to the user by the exporter, with its reason.
  std::function<bool(const QString& path)> exportLogsAsCSV;
  // An export is under way (the menu item waits for it).
  std::function<bool()> exportingLogs;
  std::function<void()> registerAllHotKeys;
  // Counts the launch for the mailing-list offer.
  std::function<void()> mailingListDoIt;
  // The welcome page in the help pad, shown on the first launch.
  std::function<void()> showWelcomeHelp;
  // Saves every note pad before quitting; returns what could not be saved
  // ("<sheet>: <reason>").
  std::function<QStringList()> saveAllPads;
  // The program is about to quit, asking the user about pads that could not
  // be saved (so their saves are waited for) or not (they are on disk by
  // the time the process ends); or it stays after all.
  enum class Quitting { asking, withoutAsking, cancelled };
  std::function<void(Quitting)> padsQuitting;
  // Removes the notifications this application has shown.
  std::function<void()> removeDeliveredNotifications;
  // A link a later launch handed over ("korvaner2things://...").
  std::function<void(const QString& url)> openUrl;

  static void call(const std::function<void()>& hook) {
    if (hook)
      hook();
  }
};

} // namespace kr
