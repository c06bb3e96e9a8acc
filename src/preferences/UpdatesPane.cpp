#include "preferences/UpdatesPane.h"

#include "preferences/PreferenceControls.h"

#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kr {

namespace {
SoftwareUpdaterAPI* installedUpdater = nullptr;
const QString kIntervalKey = QStringLiteral("SUScheduledCheckInterval");
} // namespace

void SoftwareUpdaterAPI::install(SoftwareUpdaterAPI* updater) { installedUpdater = updater; }

SoftwareUpdaterAPI* SoftwareUpdaterAPI::installed() { return installedUpdater; }

const std::vector<std::pair<QString, qint64>> UpdatesPane::kIntervals = {
    {QStringLiteral("Hourly"), 3600},
    {QStringLiteral("Daily"), 86400},
    {QStringLiteral("Weekly"), 604800},
    {QStringLiteral("Monthly"), 2629800}};

UpdatesPane::UpdatesPane(PreferenceControls& controls, SoftwareUpdaterAPI* updater,
                         std::function<void()> closeWindow, QWidget* parent)
    : QWidget(parent), controls_(controls), updater_(updater), closeWindow_(std::move(closeWindow)),
      automatic_(controls.check(QStringLiteral("Check for updates automatically"),
                                QStringLiteral("SUEnableAutomaticChecks"))),
      interval_(new QComboBox), checkNow_(new QPushButton(QStringLiteral("Check Now"))) {
  setObjectName(QStringLiteral("SoftwareUpdate"));
  interval_->setObjectName(kIntervalKey);
  connect(interval_, &QComboBox::activated, this, &UpdatesPane::updateIntervalHasChanged);
  connect(checkNow_, &QPushButton::clicked, this, &UpdatesPane::checkForUpdatesNow);
  if (!updater_) {
    for (QWidget* control : std::initializer_list<QWidget*>{automatic_, interval_, checkNow_}) {
      control->setEnabled(false);
      control->setToolTip(QStringLiteral("Not available in this version"));
    }
  }

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(QString(), automatic_);
  form->addRow(QStringLiteral("Check:"), interval_);
  form->addRow(QString(), checkNow_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->addLayout(form);
  layout->addStretch(1);

  controls.follow(kIntervalKey, interval_, [this] { showStoredInterval(); });
}

void UpdatesPane::showStoredInterval() {
  const QSignalBlocker quiet(interval_);
  interval_->clear();
  for (const auto& [text, seconds] : kIntervals)
    interval_->addItem(text, seconds);
  const QVariant stored = controls_.defaults().object(kIntervalKey);
  bool isNumber = false;
  const qint64 seconds = stored.toLongLong(&isNumber);
  int index = isNumber ? interval_->findData(seconds) : -1;
  if (index < 0) {
    // Another stored value is listed as itself, so nothing rewrites it.
    interval_->addItem(isNumber ? QStringLiteral("Every %1 seconds").arg(seconds)
                                : UserDefaults::toString(stored),
                       stored);
    index = interval_->count() - 1;
  }
  interval_->setCurrentIndex(index);
}

void UpdatesPane::updateIntervalHasChanged(int index) {
  const QVariant chosen = interval_->itemData(index);
  bool isNumber = false;
  const qint64 seconds = chosen.toLongLong(&isNumber);
  if (!isNumber || seconds <= 0)
    return; // the unknown stored value, chosen again: nothing changes
  controls_.defaults().setValue(kIntervalKey, seconds);
  controls_.defaults().synchronize();
  if (updater_)
    updater_->setUpdateCheckInterval(seconds);
}

void UpdatesPane::checkForUpdatesNow() {
  if (!updater_)
    return;
  // The window goes first: the check may show its own.
  if (closeWindow_)
    closeWindow_();
  updater_->checkForUpdates();
}

} // namespace kr
