// The main controller's pad actions: the pads' hot keys, the "Pads" menu and
// the templates of the scratch pad.
#include "shell/MainController.h"

#include "platform/settings/UserDefaults.h"
#include "shell/AppDelegate.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/NowAndLaterBoardManager.h"
#include "window/PadKeys.h"

namespace kr {

namespace {

NowAndLaterBoardManager& pads() { return NowAndLaterBoardManager::sharedManager(); }

bool togglePadKey(const char* key) {
  return PadKeys::togglePad(UserDefaults::standard(), QString::fromLatin1(key));
}

} // namespace

void MainController::addPadActions() {
  // In the background a pad's hot key brings the window forward with that
  // pad; in front it shows or hides the pad.
  const auto padHotKey = [this](void (NowAndLaterBoardManager::*show)(),
                                void (NowAndLaterBoardManager::*toggle)()) {
    return [this, show, toggle] {
      if (!applicationIsActive()) {
        bringToFront();
        (pads().*show)();
      } else {
        (pads().*toggle)();
      }
    };
  };
  addAction(QStringLiteral("nowHotKey"), padHotKey(&NowAndLaterBoardManager::showNowPad,
                                                   &NowAndLaterBoardManager::toggleNowPad));
  addAction(QStringLiteral("laterHotKey"), padHotKey(&NowAndLaterBoardManager::showLaterPad,
                                                     &NowAndLaterBoardManager::toggleLaterPad));
  addAction(QStringLiteral("scratchPadHotKey"),
            padHotKey(&NowAndLaterBoardManager::showScratchPad,
                      &NowAndLaterBoardManager::toggleScratchPad));
  addAction(QStringLiteral("readObjectiveAloudHotKey"), [] { pads().readObjectiveAloud(); });
  addAction(QStringLiteral("insertBreadcrumbsTemplate"), [] { pads().addBreadcrumbsTemplate(); });
  addAction(QStringLiteral("insertPrimingTemplate"), [] { pads().addPrimingTemplate(); });
  // The log book, the statistics and the help, shown from the menu, take the
  // keyboard: what the user asked for is where the keys go, not the page.
  const auto togglePadWithFocus = [this](const char* key) {
    return [this, key] {
      if (!togglePadKey(key))
        return;
      AppDelegate* delegate = pseudoAppDelegate();
      if (MainWindow* window = delegate ? delegate->mainWindow() : nullptr)
        window->controller().focusPad(QString::fromLatin1(key));
    };
  };
  addAction(QStringLiteral("toggleLogBook"), togglePadWithFocus("logBookPadHidden"));
  addAction(QStringLiteral("toggleHelpPad"), togglePadWithFocus("helpPadHidden"));
  addAction(QStringLiteral("toggleStatisticsWindow"), togglePadWithFocus("statsPadHidden"));
}

} // namespace kr
