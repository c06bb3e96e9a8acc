// The preferences window's actions that ask the user for files, and which
// panes can be shown.
#include "preferences/PreferencesController.h"

#include "platform/services/FilePanelPresenter.h"
#include "platform/settings/UserDefaults.h"

#include <QDialog>

#include <set>

namespace kr {

namespace {
const QString kExcludedKey = QStringLiteral("excludeApplicationsList");
} // namespace

bool PreferencesController::isAvailable(const QString& identifier) const {
  if (!paneWidgets_.count(identifier))
    return false;
  // The panes over the Dropbox storage and the updater wait for them.
  if (identifier == QLatin1String("Sync"))
    return services_.dropbox != nullptr;
  if (identifier == kSoftwareUpdateIdentifier)
    return services_.updater != nullptr;
  return true;
}

void PreferencesController::addApplicationToExclusionList() {
  FilePanelRequest request;
  request.title = QStringLiteral("Add");
  request.prompt = QStringLiteral("Add");
  request.startFolder = QStringLiteral("/usr/share/applications/");
  request.allowedExtensions = {QStringLiteral("desktop")};
  request.typeName = QStringLiteral("Applications");
  request.allowsOtherFileTypes = false;
  request.parent = window();
  const auto chosen = services_.panels->openPanelForFiles(request);
  if (!chosen)
    return;
  UserDefaults& defaults = *services_.defaults;
  QVariantList entries = defaults.array(kExcludedKey);
  std::set<QString> listed;
  for (const QVariant& entry : entries)
    listed.insert(entry.toMap().value(QStringLiteral("path")).toString());
  bool added = false;
  for (const QString& path : *chosen) {
    if (!path.endsWith(QLatin1String(".desktop")) || listed.count(path))
      continue;
    listed.insert(path);
    entries.append(QVariantMap{{QStringLiteral("path"), path}});
    added = true;
  }
  if (!added)
    return;
  defaults.setValue(kExcludedKey, entries);
  defaults.synchronize();
}

} // namespace kr
