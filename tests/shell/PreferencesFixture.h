#pragma once

// The preferences window over recording doubles, shared by its tests.
#include "effects/ScriptLauncher.h"
#include "effects/SoundFixture.h"
#include "effects/SpeechManager.h"
#include "effects/StandAloneNoiseMachine.h"
#include "effects/WhiteNoiseMachine.h"
#include "kit/text/PadTextSettings.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestCalendarStore.h"
#include "platform/services/TestHotKeyBackend.h"
#include "platform/services/TestSpeechSynthesizer.h"
#include "platform/services/TestTaskManagerBridge.h"
#include "preferences/PreferencesController.h"
#include "preferences/SyncPane.h"
#include "preferences/UpdatesPane.h"
#include "shortcuts/HotKeyCenter.h"
#include "shortcuts/SwiftHotKeyManager.h"

#include <QDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

namespace kr::test {

// Moves succeed unless told to fail or to be cancelled; each move is logged.
class DropboxDouble final : public DropboxSyncAPI {
public:
  bool isDropboxSyncActive() const override { return active; }
  void configureForDropbox() override {
    log << QStringLiteral("to dropbox");
    if (succeeds)
      active = true;
  }
  void revertToLocal() override {
    log << QStringLiteral("to local");
    if (succeeds)
      active = false;
  }
  bool active = false;
  bool succeeds = true;
  QStringList log;
};

class UpdaterDouble final : public SoftwareUpdaterAPI {
public:
  void setUpdateCheckInterval(qint64 seconds) override {
    log << QStringLiteral("interval %1").arg(seconds);
  }
  void checkForUpdates() override {
    log << QStringLiteral("check, window %1")
               .arg(window && window->isVisible() ? "open" : "closed");
  }
  QDialog* window = nullptr;
  QStringList log;
};

class PreferencesFixture : public ::testing::Test {
protected:
  PreferencesFixture() {
    noise.awakeFromNib();
    hotKeys.registerAllHotKeys();
    FileBrowserAPI::install(&browser);
  }
  ~PreferencesFixture() override {
    PreferencesController::setModalRunnerForTesting({});
    FileBrowserAPI::install(nullptr);
  }

  PreferencesServices services() {
    PreferencesServices s;
    s.defaults = fixture.defaults.get();
    s.sounds = sounds.get();
    s.speech = &speech;
    s.continuousSound = &noise;
    s.hotKeys = &hotKeys;
    s.panels = &panels;
    s.standAloneSound = &standAlone;
    s.scripts = &scripts;
    s.taskManagers = &taskManagers;
    if (withBackEnds) {
      s.dropbox = &dropbox;
      s.updater = &updater;
    }
    s.calendars = &calendars;
    s.padChoosers.font = [this](const QFont&, QWidget*) {
      std::optional<QFont> answer;
      if (!fontAnswers.empty()) {
        answer = fontAnswers.front();
        fontAnswers.pop_front();
      }
      return answer;
    };
    s.padChoosers.color = [this](const QColor&, QWidget*) {
      std::optional<QColor> answer;
      if (!colorAnswers.empty()) {
        answer = colorAnswers.front();
        colorAnswers.pop_front();
      }
      return answer;
    };
    s.padChoosers.setDefaultFont = [this](const QFont& font) {
      fontsSet << font;
      PadTextSettings::setDefaultFont(defaults(), font);
    };
    s.shortcutsAvailability = QStringLiteral("These shortcuts work in every program.");
    return s;
  }
  // Runs the window with `whileOpen` called inside the run.
  void runWith(const std::function<void(PreferencesController&)>& whileOpen) {
    PreferencesController::setModalRunnerForTesting(whileOpen);
    PreferencesController controller(services());
    controller.run();
  }
  UserDefaults& defaults() { return *fixture.defaults; }
  std::size_t played() const { return fixture.audio.oneShots.size(); }

  test::SoundFixture fixture;
  std::unique_ptr<SoundManager> sounds = fixture.makeManager();
  TestSpeechSynthesizer synth;
  SpeechManager speech{*fixture.defaults, synth, sounds.get()};
  WhiteNoiseMachine noise{*fixture.defaults, *sounds, fixture.audio};
  TestHotKeyBackend backend;
  HotKeyCenter center{backend};
  SwiftHotKeyManager hotKeys{*fixture.defaults, &center};
  TestFilePanelPresenter panels;
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts{alerts};
  StandAloneNoiseMachine standAlone{*fixture.defaults, *sounds, fixture.audio};
  TestFileBrowser browser;
  QTemporaryDir scriptsHome;
  ScriptLauncher scripts{scriptsHome.path() + QStringLiteral("/Scripts")};
  TestCalendarStore calendars;
  // Whether the Sync and Software Update panes get their doubles.
  bool withBackEnds = true;
  DropboxDouble dropbox;
  UpdaterDouble updater;
  TestTaskManagerBridge taskManagers = [] {
    TestTaskManagerBridge bridge;
    bridge.installed = {TaskManagerBridge::Application::Things,
                        TaskManagerBridge::Application::OmniFocus,
                        TaskManagerBridge::Application::TheHitList};
    return bridge;
  }();
  // The answers of the font and colour dialogs, in turn (none: cancelled).
  std::deque<std::optional<QFont>> fontAnswers;
  std::deque<std::optional<QColor>> colorAnswers;
  QList<QFont> fontsSet;
};

} // namespace kr::test
