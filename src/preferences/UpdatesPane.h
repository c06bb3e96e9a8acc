#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace kr {

class PreferenceControls;

// What the Software Update pane needs of the updater. The program's updater
// installs itself; until then the pane's controls are closed.
class SoftwareUpdaterAPI {
public:
  virtual ~SoftwareUpdaterAPI() = default;
  virtual void setUpdateCheckInterval(qint64 seconds) = 0;
  virtual void checkForUpdates() = 0;

  // Not owned; none: not available in this version.
  static void install(SoftwareUpdaterAPI* updater);
  static SoftwareUpdaterAPI* installed();
};

// The "Software Update" pane: automatic checks, how often, and a check now.
class UpdatesPane final : public QWidget {
  Q_OBJECT

public:
  // The offered intervals in seconds: hourly, daily, weekly, monthly.
  static const std::vector<std::pair<QString, qint64>> kIntervals;

  // updater: none closes the controls. closeWindow ends the preferences
  // window before a check starts.
  UpdatesPane(PreferenceControls& controls, SoftwareUpdaterAPI* updater,
              std::function<void()> closeWindow, QWidget* parent = nullptr);

  // Stores the chosen interval and hands it to the updater.
  void updateIntervalHasChanged(int index);
  void checkForUpdatesNow();

  QCheckBox* automaticChecks() const { return automatic_; }
  QComboBox* interval() const { return interval_; }
  QPushButton* checkNowButton() const { return checkNow_; }

private:
  void showStoredInterval();

  PreferenceControls& controls_;
  SoftwareUpdaterAPI* updater_;
  std::function<void()> closeWindow_;
  QCheckBox* automatic_;
  QComboBox* interval_;
  QPushButton* checkNow_;
};

} // namespace kr
