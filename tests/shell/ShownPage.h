#pragma once

#include "shell/ApplicationShell.h"

#include "engine/StateMachine.h"
#include "platform/UserDefaults.h"
#include "states/BaseState.h"
#include "states/StateLinkingHelper.h"

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
