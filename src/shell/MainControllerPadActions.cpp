// The main controller's pad actions: the pads' hot keys, the "Pads" menu and
// the templates of the scratch pad.
#include "shell/MainController.h"

#include "platform/settings/UserDefaults.h"
#include "window/NowAndLaterBoardManager.h"
#include "window/PadKeys.h"

namespace kr {

namespace {

NowAndLaterBoardManager& pads() { return NowAndLaterBoardManager::sharedManager(); }

void togglePadKey(const char* key) {
  PadKeys::togglePad(UserDefaults::standard(), QString::fromLatin1(key));
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
  addAction(QStringLiteral("toggleLogBook"), [] { togglePadKey("logBookPadHidden"); });
  addAction(QStringLiteral("toggleHelpPad"), [] { togglePadKey("helpPadHidden"); });
  addAction(QStringLiteral("toggleStatisticsWindow"), [] { togglePadKey("statsPadHidden"); });
}

} // namespace kr
