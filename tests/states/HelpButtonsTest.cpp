#include "states/InformalBreakState.h"
#include "states/PageServices.h"
#include "states/PrepareTimedBreakState.h"

#include "SliceTestFixture.h"
#include "kit/bricks/PushButtonBrick.h"
#include "kit/walls/Wall.h"

#include <QAbstractButton>

#include <gtest/gtest.h>

#include <functional>

using namespace kr;

// Every help button of the pages is the kit's round help button, and each
// opens its own help page in the help pad.
TEST(HelpButtons, EveryPageUsesTheKitsRoundHelpButtonForItsHelpPages) {
  test::SliceFixture f;
  f.start();
  QStringList shown;
  PageServices::shared().showHelpPage = [&](const QString& page, bool inBrowser) {
    shown.append(page + (inBrowser ? QStringLiteral(" in browser") : QString()));
  };
  struct Page {
    const char* name;
    std::function<BaseState&()> state;
    QStringList helpPages;
  };
  const Page pages[] = {
      {"soft break",
       [&]() -> BaseState& { return f.helper.softBreakState(); },
       {QStringLiteral("soft_break_feature.html")}},
      {"prepare timed break",
       [&]() -> BaseState& { return f.helper.prepareTimedBreakState(); },
       {QStringLiteral("lock_screen.html"), QStringLiteral("informal_breaks.html")}},
      {"rating",
       [&]() -> BaseState& { return f.helper.rateTimeSliceState(); },
       {QStringLiteral("concentration_level.html"), QStringLiteral("productivity_techniques.html"),
        QStringLiteral("productivity_techniques.html")}},
      {"informal break",
       [&]() -> BaseState& { return f.helper.informalBreakState(); },
       {QStringLiteral("automatically_bring_to_front.html")}},
  };
  for (const Page& page : pages) {
    SCOPED_TRACE(page.name);
    shown.clear();
    int helpButtons = 0;
    for (QAbstractButton* button : page.state().infoWall()->findChildren<QAbstractButton*>()) {
      auto* brick = qobject_cast<PushButtonBrick*>(button);
      const bool isHelp = brick && brick->isHelpButton();
      // A button with a bare question mark is a help button of some other kind.
      EXPECT_TRUE(isHelp || button->text() != QStringLiteral("?"))
          << button->metaObject()->className() << " \"?\" is not the kit's help button";
      if (!isHelp)
        continue;
      ++helpButtons;
      EXPECT_EQ(button->size(), QSize(22, 22));
      button->click();
    }
    EXPECT_EQ(helpButtons, page.helpPages.size());
    shown.sort();
    QStringList expected = page.helpPages;
    expected.sort();
    EXPECT_EQ(shown, expected);
  }
  PageServices::shared().showHelpPage = {};
}
