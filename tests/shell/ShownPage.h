#pragma once

#include "shell/ApplicationShell.h"

#include "engine/StateMachine.h"
#include "platform/settings/UserDefaults.h"
#include "states/BaseState.h"
#include "states/DefineTimeSliceState.h"
#include "states/InformalBreakState.h"
#include "states/PausedState.h"
#include "states/PrepareTimedBreakState.h"
#include "states/RateTimeSliceState.h"
#include "states/SoftBreakState.h"
#include "states/StateLinkingHelper.h"
#include "states/TimeSliceRunningState.h"
#include "states/TimedBreakRunningState.h"
#include "states/WelcomeState.h"

#include "LaunchedMachine.h"

#include <QCoreApplication>
#include <QVariant>

#include <functional>
#include <ostream>
#include <utility>
#include <vector>

namespace kr::test {

// A page of the work cycle: the transitions that lead to it from the define
// page, its state, and the settings it is shown with.
struct Page {
  const char* name;
  std::vector<const char*> path;
  std::function<BaseState&(StateLinkingHelper&)> state;
  std::vector<std::pair<const char*, QVariant>> settings = {};
};

inline std::ostream& operator<<(std::ostream& out, const Page& page) { return out << page.name; }

// The states of the pages, for the tables of pages.
namespace pages {
inline BaseState& define(StateLinkingHelper& s) { return s.defineTimeSliceState(); }
inline BaseState& welcome(StateLinkingHelper& s) { return s.welcomeState(); }
inline BaseState& running(StateLinkingHelper& s) { return s.timeSliceRunningState(); }
inline BaseState& paused(StateLinkingHelper& s) { return s.pausedState(); }
inline BaseState& softBreak(StateLinkingHelper& s) { return s.softBreakState(); }
inline BaseState& rating(StateLinkingHelper& s) { return s.rateTimeSliceState(); }
inline BaseState& prepareTimedBreak(StateLinkingHelper& s) { return s.prepareTimedBreakState(); }
inline BaseState& timedBreak(StateLinkingHelper& s) { return s.timedBreakRunningState(); }
inline BaseState& informalBreak(StateLinkingHelper& s) { return s.informalBreakState(); }
} // namespace pages

// Each page of the work cycle once, with its registered settings.
inline const Page kWorkCyclePages[] = {
    {"define", {}, pages::define},
    {"welcome", {"welcome"}, pages::welcome},
    {"running", {"next"}, pages::running},
    {"paused", {"next", "pause"}, pages::paused},
    {"softBreak", {"next", "softBreak"}, pages::softBreak},
    {"rating", {"next", "aborted"}, pages::rating},
    {"prepareTimedBreak", {"next", "aborted", "skipLogging"}, pages::prepareTimedBreak},
    {"timedBreak", {"timedBreak"}, pages::timedBreak},
    {"informalBreak", {"next", "aborted", "skipLogging", "informalBreak"}, pages::informalBreak},
};

// Writes a page's settings (and no rest screen, which would cover the screens
// during a timed break) and takes them back when it goes.
class PageSettings {
public:
  explicit PageSettings(const Page& page) : page_(page) {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setValue(QStringLiteral("lockScreenDuringBreak"), false);
    for (const auto& [key, value] : page.settings)
      defaults.setValue(QString::fromLatin1(key), value);
  }
  ~PageSettings() {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.remove(QStringLiteral("lockScreenDuringBreak"));
    for (const auto& setting : page_.settings)
      defaults.remove(QString::fromLatin1(setting.first));
  }
  PageSettings(const PageSettings&) = delete;
  PageSettings& operator=(const PageSettings&) = delete;

private:
  const Page& page_;
};

// The launched shell showing the page as the user would see it, the window
// settled after each step. The settings go after the shell.
struct ShownPage {
  explicit ShownPage(const Page& page) : settings(page), shell(machine.context()) {
    shell.launch();
    for (const char* transition : page.path) {
      shell.stateMachine().triggerTransition(QString::fromLatin1(transition));
      QCoreApplication::processEvents();
    }
    state = &page.state(shell.stateLinkingHelper());
  }
  // Whether the path led to the page.
  bool reached() const { return shell.stateMachine().currentState() == state; }

  LaunchedMachine machine;
  PageSettings settings;
  ApplicationShell shell;
  BaseState* state = nullptr;
};

} // namespace kr::test
