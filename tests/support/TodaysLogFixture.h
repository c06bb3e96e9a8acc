#pragma once

#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/TestAlertPresenter.h"

#include "support/TestClock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kr::test {

// A machine's daily system log in a folder of its own, on a clock that stands
// at 10:15 on a known day; `day` is today's package and `text` its text file.
class TodaysLogFixture : public ::testing::Test {
protected:
  static inline const QString kMachine = QStringLiteral("abc123");

  void SetUp() override {
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting(kMachine);
    clock.setDate(QDateTime(QDate(2026, 12, 7), QTime(10, 15, 2), Qt::LocalTime));
    AlertPresenterAPI::install(&alerts);
    FileBrowserAPI::install(&browser);
    store.setFolderPath(dir.path() + QStringLiteral("/System Logs"));
    store.setRoot(QStringLiteral("System Log"));
    store.setNamingStrategy(std::make_unique<DailyNamingStrategy>());
    store.finishInitialization();
    day = store.getPathToCurrentFile();
    text = day + QStringLiteral("/TXT.rtf");
  }
  void TearDown() override {
    AlertPresenterAPI::install(nullptr);
    FileBrowserAPI::install(nullptr);
    BackingStoreManager::sharedManager().setMachineIdentifierForTesting({});
  }

  QTemporaryDir dir;
  TestClock clock;
  TestAlertPresenter alerts;
  TestFileBrowser browser;
  BackingStoreDescriptor store;
  QString day;
  QString text;
};

} // namespace kr::test
