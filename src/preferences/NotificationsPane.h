#pragma once

#include <QWidget>

#include <functional>

class QPushButton;
class QSlider;
class QTableWidget;

namespace kr {

class PreferenceControls;
class PreferencesTablessTabView;

// The "Notifications" pane: a table of the work cycle's events, and beside it
// the sound, speech and notification settings of the selected event. The
// selected row is kept under "notificationPreferencesTableIndex".
class NotificationsPane final : public QWidget {
  Q_OBJECT

public:
  // Makes the sound pop-up that stores the given sound key.
  using SoundPopUpMaker = std::function<QWidget*(const QString& soundKey)>;
  // Opens a help page by its file name; none: the help button is disabled.
  using HelpOpener = std::function<void(const QString& pageFileName)>;

  static constexpr int kRowCount = 11;
  static bool isGroupRow(int row) { return row == 0 || row == 7; }
  static int heightOfRow(int row) { return isGroupRow(row) ? 21 : 19; }
  // The page shown for a row (-1 for a group row).
  static int pageOfRow(int row);

  NotificationsPane(PreferenceControls& controls, const SoundPopUpMaker& soundPopUp,
                    HelpOpener help, QWidget* parent = nullptr);

  QTableWidget* table() const { return table_; }
  PreferencesTablessTabView* pages() const { return pages_; }
  QSlider* speechVolume() const { return speechVolume_; }
  QPushButton* speechTagsHelp() const { return help_; }

private:
  void showStoredRow();
  void storeSelectedRow();

  PreferenceControls& controls_;
  QTableWidget* table_;
  PreferencesTablessTabView* pages_;
  QSlider* speechVolume_;
  QPushButton* help_;
};

} // namespace kr
