#include "preferences/DistractionsPane.h"

#include "preferences/PreferenceControls.h"
#include "preferences/PreferencesViews.h"

#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <set>

namespace kr {

namespace {

const QString kListKey = QStringLiteral("excludeApplicationsList");
const QString kPath = QStringLiteral("path");

} // namespace

DistractionsPane::DistractionsPane(PreferenceControls& controls, std::function<void()> add,
                                   QWidget* parent)
    : QWidget(parent), controls_(controls), list_(new QListWidget),
      add_(new QPushButton(QStringLiteral("Add\u2026"))),
      remove_(new QPushButton(QStringLiteral("Remove"))) {
  setObjectName(QStringLiteral("Distractions"));
  list_->setObjectName(QStringLiteral("excludedApplications"));
  layOutListPane(*this,
                 QStringLiteral("Applications that belong to your work rather than distract you. "
                                "The list is kept with your settings."),
                 *list_, *add_, *remove_);
  connect(add_, &QPushButton::clicked, this, [add = std::move(add)] { add(); });
  connect(remove_, &QPushButton::clicked, this, &DistractionsPane::removeSelected);

  controls.follow(kListKey, list_, [this] { showStoredList(); });
}

void DistractionsPane::showStoredList() {
  const ValueTransformer toName = transformers::pathToAppName();
  const QSignalBlocker quiet(list_);
  list_->clear();
  const QVariantList entries = controls_.defaults().array(kListKey);
  for (int i = 0; i < entries.size(); ++i) {
    const QString path = entries.at(i).toMap().value(kPath).toString();
    // An entry without a path is kept but has nothing to show.
    if (path.isEmpty())
      continue;
    auto* item = new QListWidgetItem(toName.transformedValue(path).toString());
    item->setToolTip(path);
    item->setData(Qt::UserRole, i);
    list_->addItem(item);
  }
  remove_->setEnabled(false);
}

void DistractionsPane::removeSelected() {
  std::set<int> chosen;
  for (const QListWidgetItem* item : list_->selectedItems())
    chosen.insert(item->data(Qt::UserRole).toInt());
  if (chosen.empty())
    return;
  const QVariantList entries = controls_.defaults().array(kListKey);
  QVariantList kept;
  for (int i = 0; i < entries.size(); ++i) {
    if (!chosen.count(i))
      kept.append(entries.at(i));
  }
  controls_.defaults().setValue(kListKey, kept);
  controls_.defaults().synchronize();
}

} // namespace kr
