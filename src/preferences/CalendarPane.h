#pragma once

#include <QPointer>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace kr {

class CalendarStore;
class FilePanelPresenter;
class PreferenceControls;

// The "Calendar" pane: the calendar files and folders listed under
// "calendarFiles", each with what the calendar store made of it, with
// "Add…" (files), "Add Folder…" and "Remove".
class CalendarPane final : public QWidget {
  Q_OBJECT

public:
  // store: none shows the paths alone.
  CalendarPane(PreferenceControls& controls, FilePanelPresenter& panels, CalendarStore* store,
               QWidget* parent = nullptr);

  // Asks for calendar files and appends those not listed yet.
  void addCalendarFiles();
  // Asks for a folder of calendar files and appends it unless listed.
  void addCalendarFolder();
  // Removes the selected entries.
  void removeSelected();

  QListWidget* list() const { return list_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* addFolderButton() const { return addFolder_; }
  QPushButton* removeButton() const { return remove_; }

private:
  QStringList storedPaths() const;
  void storePaths(const QStringList& paths);
  // Appends the chosen paths not listed yet.
  void addPaths(const QStringList& chosen);
  void showStoredList();

  PreferenceControls& controls_;
  FilePanelPresenter& panels_;
  QPointer<CalendarStore> store_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* addFolder_;
  QPushButton* remove_;
};

} // namespace kr
