#include "preferences/NotificationsPane.h"

#include "preferences/NotificationPages.h"
#include "preferences/PreferenceControls.h"
#include "preferences/PreferencesController.h"
#include "preferences/PreferencesViews.h"

#include "platform/settings/UserDefaults.h"
#include "platform/settings/ValueTransformer.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kr {

namespace {

const QString kTableIndexKey = QStringLiteral("notificationPreferencesTableIndex");

// The row a stored selection names, or -1 when it names no selectable row.
int selectableRow(const QVariant& stored) {
  const QVariant indexes = transformers::intToIndexSet().transformedValue(stored);
  const QList<int> rows = indexes.value<QList<int>>();
  if (rows.isEmpty())
    return -1;
  const int row = rows.front();
  if (row < 0 || row >= NotificationsPane::kRowCount || NotificationsPane::isGroupRow(row))
    return -1;
  return row;
}

} // namespace

int NotificationsPane::pageOfRow(int row) {
  if (row <= 0 || row >= kRowCount || isGroupRow(row))
    return -1;
  return row < 7 ? row - 1 : row - 2;
}

NotificationsPane::NotificationsPane(PreferenceControls& controls,
                                     const SoundPopUpMaker& soundPopUp, HelpOpener help,
                                     QWidget* parent)
    : QWidget(parent), controls_(controls), table_(new QTableWidget(kRowCount, 1)),
      pages_(new PreferencesTablessTabView), speechVolume_(nullptr),
      help_(new QPushButton(QStringLiteral("?"))) {
  setObjectName(QStringLiteral("Notifications"));
  table_->setObjectName(QStringLiteral("notificationTable"));
  table_->horizontalHeader()->hide();
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The arrow keys choose the row; Tab goes on to the row's settings.
  table_->setTabKeyNavigation(false);
  table_->setShowGrid(false);
  table_->setFixedWidth(170);
  table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* divider = new DividerCell(table_);
  for (int row = 0; row < kRowCount; ++row) {
    auto* item = new QTableWidgetItem(PreferencesController::kNotificationTableLabels.at(row));
    if (isGroupRow(row)) {
      item->setFlags(Qt::ItemIsEnabled);
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      table_->setItemDelegateForRow(row, divider);
    } else {
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    table_->setItem(row, 0, item);
    table_->setRowHeight(row, heightOfRow(row));
  }

  int height = 2 * table_->frameWidth();
  for (int row = 0; row < kRowCount; ++row)
    height += heightOfRow(row);
  table_->setFixedHeight(height);

  for (QWidget* page : makeNotificationPages(controls, soundPopUp))
    pages_->addWidget(page);

  auto* top = new QHBoxLayout;
  top->addWidget(table_, 0, Qt::AlignTop);
  top->addWidget(pages_, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QStringLiteral("Speech volume")));
  speechVolume_ = controls.fraction(QStringLiteral("speechReminderVolume"));
  speechVolume_->setObjectName(QStringLiteral("speechReminderVolume"));
  speechVolume_->setFixedWidth(160);
  bottom->addWidget(speechVolume_);
  bottom->addStretch(1);
  bottom->addWidget(new QLabel(QStringLiteral("Texts may hold tags such as <MinutesLeft>")));
  help_->setToolTip(QStringLiteral("Tags in spoken texts"));
  help_->setFixedWidth(28);
  help_->setEnabled(static_cast<bool>(help));
  connect(help_, &QPushButton::clicked, this, [help] {
    if (help)
      help(QStringLiteral("speech_reminder_tags.html"));
  });
  bottom->addWidget(help_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(bottom);

  controls.follow(kTableIndexKey, table_, [this] { showStoredRow(); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { storeSelectedRow(); });
}

void NotificationsPane::showStoredRow() {
  UserDefaults& defaults = controls_.defaults();
  int row = selectableRow(defaults.object(kTableIndexKey));
  if (row < 0)
    row = selectableRow(defaults.registeredValue(kTableIndexKey));
  if (row < 0)
    row = 1;
  const QSignalBlocker quiet(table_);
  table_->selectRow(row);
  pages_->setCurrentIndex(pageOfRow(row));
}

void NotificationsPane::storeSelectedRow() {
  const QList<QTableWidgetItem*> selected = table_->selectedItems();
  if (selected.isEmpty()) {
    // The selection cannot be emptied: the stored row comes back.
    showStoredRow();
    return;
  }
  const int row = selected.front()->row();
  pages_->setCurrentIndex(pageOfRow(row));
  const QVariant stored =
      transformers::intToIndexSet().reverseTransformedValue(QVariant::fromValue(QList<int>{row}));
  if (selectableRow(controls_.defaults().object(kTableIndexKey)) != row)
    controls_.defaults().setValue(kTableIndexKey, stored);
}

} // namespace kr
