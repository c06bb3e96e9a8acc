#include "preferences/SyncPane.h"

#include "preferences/PreferenceControls.h"

#include "platform/services/UrlOpenerAPI.h"
#include "platform/settings/UserDefaults.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

namespace kr {

namespace {
DropboxSyncAPI* installedSync = nullptr;
const QString kLocationKey = QStringLiteral("dropboxLocation");
} // namespace

void DropboxSyncAPI::install(DropboxSyncAPI* sync) { installedSync = sync; }

DropboxSyncAPI* DropboxSyncAPI::installed() { return installedSync; }

SyncPane::SyncPane(PreferenceControls& controls, DropboxSyncAPI* sync, HelpOpener help,
                   QWidget* parent)
    : QWidget(parent), controls_(controls), sync_(sync), helpOpener_(std::move(help)),
      box_(new QCheckBox(QStringLiteral("Keep the log files in Dropbox"))), folder_(new QLabel),
      website_(new QPushButton(QStringLiteral("Dropbox Website"))),
      help_(new QPushButton(QStringLiteral("?"))) {
  setObjectName(QStringLiteral("Sync"));
  box_->setObjectName(QStringLiteral("dropboxSync"));
  folder_->setWordWrap(true);
  connect(box_, &QCheckBox::clicked, this, &SyncPane::changeDropboxSyncCheckbox);
  connect(website_, &QPushButton::clicked, this, &SyncPane::showDropboxWebsite);
  connect(help_, &QPushButton::clicked, this, &SyncPane::showSyncHelp);
  help_->setFixedWidth(28);
  help_->setToolTip(QStringLiteral("Keeping the log files in Dropbox"));
  help_->setEnabled(static_cast<bool>(helpOpener_));
  if (!sync_) {
    box_->setEnabled(false);
    box_->setToolTip(QStringLiteral("Not available in this version"));
  }

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(website_);
  buttons->addStretch(1);
  buttons->addWidget(help_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 16);
  layout->addWidget(box_);
  layout->addWidget(folder_);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  layout->addStretch(1);

  controls.follow(kLocationKey, folder_, [this] {
    folder_->setText(
        QStringLiteral("Dropbox folder: %1").arg(controls_.defaults().string(kLocationKey)));
  });
  showStorage();
}

void SyncPane::showStorage() {
  const QSignalBlocker quiet(box_);
  box_->setChecked(sync_ && sync_->isDropboxSyncActive());
}

void SyncPane::changeDropboxSyncCheckbox() {
  if (sync_) {
    if (box_->isChecked())
      sync_->configureForDropbox();
    else
      sync_->revertToLocal();
  }
  // A cancel or a failure leaves the files where they were: the box says so.
  showStorage();
}

void SyncPane::showDropboxWebsite() {
  UrlOpenerAPI::shared().open(QUrl(QStringLiteral("https://www.dropbox.com/")));
}

void SyncPane::showSyncHelp() {
  if (helpOpener_)
    helpOpener_(QStringLiteral("dropbox.html"));
}

} // namespace kr
