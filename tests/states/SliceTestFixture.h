#pragma once

#include "states/AppDelegateAPI.h"
#include "states/DefineTimeSliceState.h"
#include "states/PausedState.h"
#include "states/RateTimeSliceState.h"
#include "states/SoftBreakState.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"

#include "StateTestDoubles.h"
#include "engine/DataModel.h"
#include "engine/Logger.h"
#include "engine/StateMachine.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestClock.h"

#include <algorithm>
#include <vector>

namespace kr::test {

// An application delegate whose idle time the test sets and whose callback
// lists the test runs.
class TestAppDelegate final : public AppDelegateAPI {
public:
  TestAppDelegate() { AppDelegateAPI::install(this); }
  ~TestAppDelegate() override { AppDelegateAPI::install(nullptr); }
  void addWillBecomeActiveCallback(Callback callback) override {
    willBecomeActive.push_back(std::move(callback));
  }
  void addDidResignActiveCallback(Callback callback) override {
    didResignActive.push_back(std::move(callback));
  }
  void makeFront() override { ++frontCount; }
  double idleTimeInSeconds() const override {
    ++idleReads;
    return idleTime;
  }
  double lastTimeWoken() const override { return woken; }
  double lastTimePutToSleep() const override { return putToSleep; }

  void resignActive() {
    for (const auto& callback : didResignActive)
      callback();
  }
  void becomeActive() {
    for (const auto& callback : willBecomeActive)
      callback();
  }

  std::vector<Callback> willBecomeActive;
  std::vector<Callback> didResignActive;
  int frontCount = 0;
  double idleTime = 0.0;
  double woken = 63113904000.0; // the distant future: not yet
  double putToSleep = 63113904000.0;
  mutable int idleReads = 0;
};

// The eleven states linked as the program links them, on a test clock, with
// the settings of a 25-minute slice and no soft break.
struct SliceFixture {
  explicit SliceFixture(qint64 durationInSeconds = 1500) {
    static const bool prepared = (DataModel::shared().prepare(), true);
    (void)prepared;
    AlertPresenterAPI::install(&alerts);
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setValue(QStringLiteral("durationInSeconds"), durationInSeconds);
    defaults.setValue(QStringLiteral("shouldUseSoftBreak"), false);
    defaults.setValue(QStringLiteral("shouldHideOnTimeSliceRunningActivation"), true);
    Logger::sharedLogger().resetActualSecondsWorked();
  }
  ~SliceFixture() { AlertPresenterAPI::install(nullptr); }

  void start() {
    helper.awake(machine, 1);
    machine.start();
  }

  DefineTimeSliceState& define() { return helper.defineTimeSliceState(); }
  TimeSliceRunningState& running() { return helper.timeSliceRunningState(); }
  PausedState& paused() { return helper.pausedState(); }
  RateTimeSliceState& rate() { return helper.rateTimeSliceState(); }

  std::vector<PostedEvent> eventsOf(const QString& className) const {
    std::vector<PostedEvent> found;
    const QString prefix = QStringLiteral("Korvane_R_3.") + className + QLatin1Char('.');
    std::copy_if(host.events.begin(), host.events.end(), std::back_inserter(found),
                 [&](const PostedEvent& event) { return event.name.startsWith(prefix); });
    return found;
  }
  int countEvents(const QString& name) const {
    return int(std::count_if(host.events.begin(), host.events.end(),
                             [&](const PostedEvent& event) { return event.name == name; }));
  }
  static qint64 worked() { return Logger::sharedLogger().actualSecondsWorked(); }
  static qint64 extension() {
    return DataModel::shared().currentTimeSliceExtensionDurationInSeconds();
  }

  TestClock clock;
  RecordingStateHost host;
  TestAppDelegate appDelegate;
  TestAlertPresenter alerts;
  StateMachine machine;
  StateLinkingHelper helper;
};

} // namespace kr::test
