// Where each help request goes: which page, in the help pad or the browser.
#include "window/HelpManager.h"
#include "window/HelpViewController.h"

#include "platform/services/GenericAlertHelpDelegate.h"
#include "platform/services/QMessageBoxAlertPresenter.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestHtmlView.h"
#include "platform/services/TestUrlOpener.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace kr;

namespace {

class HelpManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    HelpManager::installHelpPad([this]() -> HelpViewController* {
      events << QStringLiteral("pad shown");
      if (!viewer.view()) {
        viewer.build();
        QObject::connect(web(), &HtmlView::loadFinished,
                         [this] { events << QStringLiteral("loaded ") + web()->url().fileName(); });
      }
      return &viewer;
    });
  }
  void TearDown() override { HelpManager::installHelpPad({}); }

  TestHtmlView* web() const { return static_cast<TestHtmlView*>(viewer.webView()); }
  QString shownPage() const { return web() ? web()->url().fileName() : QString(); }
  static QString pagePath(const QString& name) { return HelpManager::pageUrl(name).toLocalFile(); }

  HelpViewController viewer{[](QWidget* parent) { return new TestHtmlView(parent); }};
  QStringList events;
  TestUrlOpener opener;
  ScopedUrlOpener scopedOpener{opener};
};

TEST_F(HelpManagerTest, EachOperationShowsItsPageInItsPlace) {
  struct Row {
    const char* name;
    std::function<void()> operation;
    QString page;
    bool inBrowser;
  };
  const std::vector<Row> table = {
      {"index", [] { HelpManager::showHelpIndex(); }, "index.html", false},
      {"welcome", [] { HelpManager::showWelcome(); }, "welcome.html", false},
      {"note pads", [] { HelpManager::showNotePadHelp(); }, "fast_type_syntax.html", false},
      {"techniques", [] { HelpManager::showProductivityTechniques(); },
       "productivity_techniques.html", false},
      {"soft break", [] { HelpManager::showSoftBreakHelp(); }, "soft_break_feature.html", false},
      {"bring to front", [] { HelpManager::showAutomaticallyBringToFront(); },
       "automatically_bring_to_front.html", false},
      {"focus", [] { HelpManager::showFocusLevelHelp(); }, "concentration_level.html", false},
      {"hushbox pad", [] { HelpManager::showHushboxIntegrationHelp(false); }, "hushbox.html",
       false},
      {"hushbox browser", [] { HelpManager::showHushboxIntegrationHelp(true); }, "hushbox.html",
       true},
      {"omnifocus pad", [] { HelpManager::showOmniFocusHelp(false); }, "omnifocus.html", false},
      {"omnifocus browser", [] { HelpManager::showOmniFocusHelp(true); }, "omnifocus.html", true},
      {"things pad", [] { HelpManager::showThingsHelp(false); }, "things.html", false},
      {"things browser", [] { HelpManager::showThingsHelp(true); }, "things.html", true},
      {"dropbox pad", [] { HelpManager::showDropboxHelp(false); }, "dropbox.html", false},
      {"dropbox browser", [] { HelpManager::showDropboxHelp(true); }, "dropbox.html", true},
      {"scripts pad", [] { HelpManager::showAppleScriptHelp(false); }, "applescript.html", false},
      {"scripts browser", [] { HelpManager::showAppleScriptHelp(true); }, "applescript.html", true},
      {"speech pad", [] { HelpManager::showSpeechTagsReference(false); },
       "speech_reminder_tags.html", false},
      {"speech browser", [] { HelpManager::showSpeechTagsReference(true); },
       "speech_reminder_tags.html", true},
      // The Hit List's page always goes to the browser.
      {"hit list asked for the pad", [] { HelpManager::showHitListHelp(false); }, "hitlist.html",
       true},
      {"hit list browser", [] { HelpManager::showHitListHelp(true); }, "hitlist.html", true},
      {"tip 0", [] { HelpManager::showTip(0); }, "Tip00.html", false},
      {"tip 3", [] { HelpManager::showTip(3); }, "Tip03.html", false},
      {"lock screen", [] { HelpManager::showPage("lock_screen.html", false); }, "lock_screen.html",
       false},
      {"input monitoring", [] { HelpManager::showPage("input_monitoring.html", true); },
       "input_monitoring.html", true},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(row.name);
    events.clear();
    opener.opened.clear();
    // From another page, so every request to the pad loads.
    if (web())
      web()->loadFile(pagePath(QStringLiteral("informal_breaks.html")));
    events.clear();
    row.operation();
    if (row.inBrowser) {
      EXPECT_EQ(opener.opened, QList<QUrl>{HelpManager::pageUrl(row.page)});
      EXPECT_TRUE(events.isEmpty()) << events.join(", ").toStdString();
    } else {
      EXPECT_TRUE(opener.opened.isEmpty());
      // The pad is visible before its page loads.
      EXPECT_EQ(events.value(0), QStringLiteral("pad shown"));
      EXPECT_EQ(events.last(), QStringLiteral("loaded ") + row.page);
      EXPECT_EQ(shownPage(), row.page);
    }
  }
}

TEST_F(HelpManagerTest, TipNamesHaveTwoDigitsAndMissingTipsSaySo) {
  EXPECT_EQ(HelpManager::tipPageName(0), QStringLiteral("Tip00.html"));
  EXPECT_EQ(HelpManager::tipPageName(3), QStringLiteral("Tip03.html"));
  EXPECT_EQ(HelpManager::tipPageName(9), QStringLiteral("Tip09.html"));
  EXPECT_EQ(HelpManager::tipPageName(10), QStringLiteral("Tip10.html"));
  EXPECT_EQ(HelpManager::tipPageName(12), QStringLiteral("Tip12.html"));
  EXPECT_EQ(HelpManager::tipPageName(-1), QString());

  // Only seven tips are written: a later day's tip names itself as missing.
  for (int day : {9, 10, 12}) {
    SCOPED_TRACE(day);
    test::ConsoleCapture console;
    HelpManager::showTip(day);
    EXPECT_EQ(web()->blankPageLine(), QStringLiteral("The help page \"%1\" is not installed.")
                                          .arg(HelpManager::tipPageName(day)));
    EXPECT_TRUE(console.contains(HelpManager::tipPageName(day)));
  }
  EXPECT_FALSE(HelpManager::showPage(HelpManager::tipPageName(10), true));
  EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(HelpManagerTest, OnlyPlainNamesOfInstalledPagesArePages) {
  EXPECT_TRUE(HelpManager::isPageName(QStringLiteral("index.html")));
  for (const char* name : {"", "../index.html", "help_pages/index.html", "/etc/passwd",
                           ".hidden.html", "help.css", "no_such_page.html", "index.html/"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(HelpManager::isPageName(QString::fromUtf8(name)));
    EXPECT_FALSE(HelpManager::showPage(QString::fromUtf8(name), true));
  }
  EXPECT_TRUE(opener.opened.isEmpty());
  // The pages come from the program's own folder.
  EXPECT_TRUE(HelpManager::helpFolder().endsWith(QLatin1String("/Korvane-R/help_pages")));
}

TEST_F(HelpManagerTest, WithoutAHelpPadNothingIsShownAndTheConsoleSaysWhy) {
  HelpManager::installHelpPad({});
  test::ConsoleCapture console;
  EXPECT_FALSE(HelpManager::showPage(QStringLiteral("index.html"), false));
  EXPECT_TRUE(console.contains(QStringLiteral("No help pad to show \"index.html\"")));
  EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(HelpManagerTest, TheDropboxAlertsHelpShowsItsPageAndTheAlertAgain) {
  TestAlertPresenter alerts;
  alerts.answers = {TestAlertPresenter::pressHelp, 1};
  Alert alert{QStringLiteral("The Dropbox folder cannot be found"),
              QStringLiteral("Choose it?"),
              {QStringLiteral("Choose"), QStringLiteral("Cancel")}};
  alert.helpDelegate = HelpManager::createAlertHelpDelegateForDropbox();
  EXPECT_EQ(alerts.runModal(alert), 1);
  EXPECT_EQ(alerts.helpPresses, 1);
  ASSERT_EQ(alerts.shown.size(), 2); // shown again after the help
  EXPECT_EQ(alerts.shown[1].messageText, alert.messageText);
  EXPECT_EQ(shownPage(), QStringLiteral("dropbox.html"));
  EXPECT_TRUE(opener.opened.isEmpty()); // in the help pad, not the browser
  EXPECT_TRUE(alert.helpDelegate->alertShowHelp(alert));

  // An alert without help has no help to press.
  TestAlertPresenter plain;
  plain.answers = {TestAlertPresenter::pressHelp};
  EXPECT_EQ(plain.runModal(Alert{QStringLiteral("No help"), {}, {}}), -1);
  EXPECT_EQ(plain.helpPresses, 0);
}

// Presses buttons of the message boxes as they come, one title per box.
class BoxPresser {
public:
  explicit BoxPresser(QStringList titles) : titles_(std::move(titles)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(0);
  }
  QStringList boxes;
  QStringList buttons;

private:
  void poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || titles_.isEmpty())
      return;
    const QString title = titles_.takeFirst();
    boxes << box->text();
    for (QAbstractButton* button : box->buttons()) {
      buttons << button->text();
      if (button->text() == title)
        QTimer::singleShot(0, button, [button] { button->click(); });
    }
  }
  QStringList titles_;
  QTimer timer_;
};

TEST_F(HelpManagerTest, TheMessageBoxOffersHelpOnlyWithADelegateAndComesBackAfterIt) {
  QMessageBoxAlertPresenter presenter;
  Alert alert{
      QStringLiteral("Move the logs?"), {}, {QStringLiteral("Move"), QStringLiteral("Cancel")}};
  alert.helpDelegate = HelpManager::createAlertHelpDelegateForDropbox();
  {
    BoxPresser presser({QStringLiteral("Help"), QStringLiteral("Cancel")});
    EXPECT_EQ(presenter.runModal(alert), 1);
    EXPECT_EQ(presser.boxes, (QStringList{alert.messageText, alert.messageText}));
    EXPECT_TRUE(presser.buttons.contains(QStringLiteral("Help")));
  }
  EXPECT_EQ(shownPage(), QStringLiteral("dropbox.html"));

  alert.helpDelegate = nullptr;
  BoxPresser presser({QStringLiteral("Move")});
  EXPECT_EQ(presenter.runModal(alert), 0);
  EXPECT_EQ(presser.buttons, (QStringList{QStringLiteral("Move"), QStringLiteral("Cancel")}));
}

} // namespace
