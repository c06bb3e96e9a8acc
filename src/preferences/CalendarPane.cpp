#include "preferences/CalendarPane.h"

#include "preferences/PreferenceControls.h"
#include "preferences/PreferencesViews.h"

#include "platform/services/CalendarStore.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/settings/UserDefaults.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <set>

namespace kr {

namespace {

const QString kCalendarFiles = QStringLiteral("calendarFiles");

QString stateText(const CalendarSourceState* state) {
  if (!state)
    return QStringLiteral("not read yet");
  switch (state->status) {
  case CalendarSourceState::Status::Reading:
    return QStringLiteral("being read");
  case CalendarSourceState::Status::Read:
    return {};
  case CalendarSourceState::Status::Missing:
  case CalendarSourceState::Status::Unreadable:
  case CalendarSourceState::Status::NotICalendar:
  case CalendarSourceState::Status::TooLarge:
  case CalendarSourceState::Status::TooSlow:
    break;
  case CalendarSourceState::Status::OverBudget:
    // Readable, but refused so that all calendars together stay bounded.
    return QStringLiteral("not read: %1").arg(state->reason);
  }
  return QStringLiteral("cannot be read: %1")
      .arg(state->reason.isEmpty() ? QStringLiteral("unknown reason") : state->reason);
}

} // namespace

CalendarPane::CalendarPane(PreferenceControls& controls, FilePanelPresenter& panels,
                           CalendarStore* store, QWidget* parent)
    : QWidget(parent), controls_(controls), panels_(panels), store_(store), list_(new QListWidget),
      add_(new QPushButton(QStringLiteral("Add\u2026"))),
      addFolder_(new QPushButton(QStringLiteral("Add Folder\u2026"))),
      remove_(new QPushButton(QStringLiteral("Remove"))) {
  setObjectName(QStringLiteral("Calendar"));
  // The calendar reader registers the list when it first reads; the pane
  // may come first.
  UserDefaults& defaults = controls.defaults();
  if (!defaults.registeredValue(kCalendarFiles).isValid())
    defaults.registerDefault(kCalendarFiles, QStringList());

  list_->setObjectName(QStringLiteral("calendarFiles"));
  layOutListPane(*this,
                 QStringLiteral("The calendars whose events of the coming hour show beside the "
                                "timer: iCalendar files (.ics), or folders of them."),
                 *list_, *add_, *remove_, addFolder_);
  add_->setToolTip(QStringLiteral("Add calendar files"));
  addFolder_->setToolTip(QStringLiteral("Add a folder: its calendar files are read"));
  connect(add_, &QPushButton::clicked, this, &CalendarPane::addCalendarFiles);
  connect(addFolder_, &QPushButton::clicked, this, &CalendarPane::addCalendarFolder);
  connect(remove_, &QPushButton::clicked, this, &CalendarPane::removeSelected);
  if (store_)
    connect(store_, &CalendarStore::sourcesRead, this, &CalendarPane::showStoredList);

  controls.follow(kCalendarFiles, list_, [this] {
    // The store reads the new list at once, so its states can be shown.
    if (store_)
      store_->setSources(storedPaths());
    showStoredList();
  });
}

QStringList CalendarPane::storedPaths() const {
  // A list of one may be stored as plain text.
  QStringList paths;
  for (const QString& path : controls_.defaults().object(kCalendarFiles).toStringList()) {
    if (!path.isEmpty())
      paths << path;
  }
  return paths;
}

void CalendarPane::storePaths(const QStringList& paths) {
  controls_.defaults().setValue(kCalendarFiles, paths);
  controls_.defaults().synchronize();
}

void CalendarPane::showStoredList() {
  QList<CalendarSourceState> states;
  if (store_)
    states = store_->sourceStates();
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const QString& path : storedPaths()) {
    const CalendarSourceState* state = nullptr;
    for (const CalendarSourceState& candidate : states) {
      if (candidate.path == path)
        state = &candidate;
    }
    const QString note = store_ ? stateText(state) : QString();
    auto* item =
        new QListWidgetItem(note.isEmpty() ? path : QStringLiteral("%1 \u2014 %2").arg(path, note));
    item->setToolTip(path);
    item->setData(Qt::UserRole, path);
    list_->addItem(item);
  }
  remove_->setEnabled(false);
}

void CalendarPane::addCalendarFiles() {
  FilePanelRequest request;
  request.title = QStringLiteral("Add Calendars");
  request.prompt = QStringLiteral("Add");
  request.startFolder = QDir::homePath();
  request.allowedExtensions = {QStringLiteral("ics")};
  request.typeName = QStringLiteral("Calendars");
  request.allowsOtherFileTypes = false;
  request.parent = window();
  const std::optional<QStringList> chosen = panels_.openPanelForFiles(request);
  if (chosen)
    addPaths(*chosen);
}

void CalendarPane::addCalendarFolder() {
  FilePanelRequest request;
  request.title = QStringLiteral("Add a Folder of Calendars");
  request.prompt = QStringLiteral("Add");
  request.startFolder = QDir::homePath();
  request.choosesFolders = true;
  request.parent = window();
  const std::optional<QString> chosen = panels_.openPanel(request);
  if (chosen)
    addPaths({*chosen});
}

void CalendarPane::addPaths(const QStringList& chosen) {
  QStringList paths = storedPaths();
  bool added = false;
  for (const QString& choice : chosen) {
    const QString path = QDir::cleanPath(choice);
    if (path.isEmpty() || paths.contains(path))
      continue;
    paths << path;
    added = true;
  }
  if (added)
    storePaths(paths);
}

void CalendarPane::removeSelected() {
  std::set<QString> chosen;
  for (const QListWidgetItem* item : list_->selectedItems())
    chosen.insert(item->data(Qt::UserRole).toString());
  if (chosen.empty())
    return;
  QStringList kept;
  for (const QString& path : storedPaths()) {
    if (!chosen.count(path))
      kept << path;
  }
  storePaths(kept);
}

} // namespace kr
