#pragma once

#include "shell/ApplicationShell.h"

#include "engine/Clock.h"
#include "platform/services/TestActivityMonitor.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/DefaultsStorageAPI.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestClock.h"

#include <memory>

namespace kr::test {

// The shell's world for a test: a machine that has launched before, on the
// test clock, with test storage, dates, alerts and idle monitor.
struct LaunchedMachine {
  LaunchedMachine() {
    UserDefaults::standard().setValue(QStringLiteral("firstLaunch"), false);
    storage.store(qint64{5}, QStringLiteral("launchManagerLaunchCounter"));
    date.testCurrentTimeIntervalFromReferenceDate = clock.now();
  }

  ShellContext context() {
    ShellContext c;
    c.defaults = &UserDefaults::standard();
    c.defaultsStorage = &storage;
    c.dateProvider = &date;
    c.makeActivityMonitor = [] { return std::make_unique<TestActivityMonitor>(); };
    c.quitApplication = [] {};
    return c;
  }

  TestClock clock;
  TestDefaultsStorage storage;
  TestDateProvider date;
  TestAlertPresenter alerts;
  ScopedAlertPresenter installedAlerts{alerts};
};

} // namespace kr::test
