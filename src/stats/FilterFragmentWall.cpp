#include "stats/FilterFragmentWall.h"

#include "kit/KVOResponder.h"
#include "kit/walls/FragmentStackView.h"
#include "platform/settings/UserDefaults.h"
#include "stats/StatsViewController.h"

#include <cstdio>

namespace kr {

FilterFragmentWall::FilterFragmentWall(StatsViewController* statsController, QWidget* parent)
    : FragmentWall(parent), statsViewController(statsController) {
  for (const char* key : {"filtering", "currentlyDisplayedStatistic"}) {
    kvoResponders.push_back(
        std::make_unique<KVOResponder>(QString::fromLatin1(key), &UserDefaults::standard(),
                                       [this](UserDefaults*, const QString&) { update(); }));
  }
}

FilterFragmentWall::~FilterFragmentWall() = default;

bool FilterFragmentWall::shouldHide() const {
  if (!UserDefaults::standard().boolValue(QStringLiteral("filtering")))
    return true;
  return !(statsViewController && queryFunc && queryFunc(statsViewController));
}

void FilterFragmentWall::update() {
  const bool hide = shouldHide();
  std::printf("%s\n", hide ? "\"->hide\"" : "\"->show\"");
  std::fflush(stdout);
  if (!statsViewController || !statsViewController->fragmentStackView)
    return;
  statsViewController->fragmentStackView->setVisibilityPriority(this, hide ? kHiddenPriority
                                                                           : kShownPriority);
}

void FilterFragmentWall::install(FragmentStackView*) { update(); }

} // namespace kr
