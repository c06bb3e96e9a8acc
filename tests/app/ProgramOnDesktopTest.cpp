// The program as main() builds it on a desktop with a window manager and a
// tray host: every service holds its desktop implementation, none the
// console or empty stand-in it has before start-up.
#include "StartedProgram.h"

#include "effects/EffectsServices.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "kit/text/NowAndLaterBoardTextView.h"
#include "platform/linux/dbus/FreedesktopNotifier.h"
#include "platform/linux/desktop/DesktopFileBrowser.h"
#include "platform/linux/media/QtAudioOutput.h"
#include "platform/linux/media/QtSpeechSynthesizer.h"
#include "platform/linux/tray/TrayStatusItem.h"
#include "platform/linux/web/DeferredHtmlView.h"
#include "platform/linux/x11/X11ActiveWindow.h"
#include "platform/linux/x11/X11HotKeyBackend.h"
#include "platform/services/AlertPresenterAPI.h"
#include "platform/services/FileBrowserAPI.h"
#include "platform/services/HtmlView.h"
#include "platform/services/QMessageBoxAlertPresenter.h"
#include "platform/settings/UserDefaults.h"
#include "shell/ActivityMonitor.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shortcuts/HotKeyCenter.h"
#include "states/RestBreakHelper.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/PadViewController.h"
#include "window/StatusItemController.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>

#include <typeinfo>

using namespace kr;

TEST(ProgramOnDesktop, EveryServiceHasItsDesktopImplementationAfterStartUp) {
  test::StartedProgram p;
  ApplicationShell& shell = p.program->shell();
  EXPECT_NE(dynamic_cast<QMessageBoxAlertPresenter*>(AlertPresenterAPI::installed()), nullptr)
      << "alerts";
  EXPECT_NE(dynamic_cast<DesktopFileBrowser*>(&FileBrowserAPI::shared()), nullptr)
      << "file browser";
  // The engine itself starts only when a view is first shown.
  const std::unique_ptr<HtmlView> web(HtmlView::create());
  EXPECT_NE(dynamic_cast<DeferredHtmlView*>(web.get()), nullptr) << "web pages";

  auto* monitor = dynamic_cast<ActivityMonitor*>(shell.appDelegate().activityMonitor());
  ASSERT_NE(monitor, nullptr) << "idle time";
  EXPECT_TRUE(monitor->hasIdleTimeSource()) << "the X server answers for the idle time";

  StatusItem* const statusItem = shell.statusItem();
  ASSERT_NE(statusItem, nullptr) << "status item";
  EXPECT_NE(dynamic_cast<TrayStatusItem*>(statusItem), nullptr)
      << "status item " << typeid(*statusItem).name();
  EXPECT_NE(shell.statusItemController(), nullptr);

  EXPECT_NE(dynamic_cast<X11HotKeyBackend*>(&HotKeyCenter::shared().backend()), nullptr)
      << "global hot keys";

  ASSERT_TRUE(EffectsServices::isInstalled()) << "sound, speech, notifications";
  const EffectsServices::BackEnds& effects = EffectsServices::shared().backEnds();
  EXPECT_NE(dynamic_cast<QtAudioOutput*>(&effects.audio), nullptr) << "sound";
  EXPECT_NE(dynamic_cast<QtSpeechSynthesizer*>(&effects.speech), nullptr) << "speech";
  EXPECT_NE(dynamic_cast<FreedesktopNotifier*>(&effects.notifier), nullptr) << "notifications";
  auto* fading = dynamic_cast<OverlayScreenFadingHelper*>(RestBreakHelper::shared().screenFading());
  ASSERT_NE(fading, nullptr) << "screen fading";
  EXPECT_NE(dynamic_cast<X11ActiveWindow*>(fading->activeWindow()), nullptr)
      << "the window in front before the rest screen";
  EXPECT_TRUE(fading->activeWindow()->isAvailable()) << "openbox names the active window";
  EXPECT_EQ(RestBreakHelper::shared().screenFading(), &EffectsServices::shared().screenFading())
      << "one set of screen windows for the rest screen and the dimming";
}

// The status menu's "Continuous Sound" holds the main menu's "Sounds" items,
// above "Quit Korvane-R", and both follow the same setting.
TEST(ProgramOnDesktop, TheStatusMenuHasTheBackgroundSound) {
  test::StartedProgram p;
  MainMenu& menu = p.program->shell().mainMenu();
  QStringList sounds;
  for (QAction* item : menu.continuousSoundsMenu()->actions())
    sounds.append(item->text());
  ASSERT_FALSE(sounds.isEmpty());
  QAction* play = menu.itemSending(QStringLiteral("toggleStandaloneSound"));
  ASSERT_NE(play, nullptr);
  StatusItemController* status = p.program->shell().statusItemController();
  ASSERT_NE(status, nullptr);
  auto* background = status->menu().findChild<QMenu*>(QStringLiteral("backgroundSoundMenu"));
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->title(), QStringLiteral("Continuous Sound"));
  const QList<QAction*> statusItems = status->menu().actions();
  EXPECT_EQ(statusItems.indexOf(background->menuAction()), statusItems.size() - 3);
  auto* traySounds = background->findChild<QMenu*>(QStringLiteral("continuousSoundsMenu"));
  ASSERT_NE(traySounds, nullptr);
  QStringList traySoundNames;
  for (QAction* item : traySounds->actions())
    traySoundNames.append(item->text());
  EXPECT_EQ(traySoundNames, sounds);
  auto trayItem = [&](const char* name) {
    return background->findChild<QAction*>(QString::fromLatin1(name));
  };
  ASSERT_NE(trayItem("toggleStandaloneSound"), nullptr);
  trayItem("toggleStandaloneSound")->trigger();
  EXPECT_TRUE(UserDefaults::standard().boolValue(QStringLiteral("standaloneSoundOn")));
  EXPECT_TRUE(play->isChecked()); // the main menu follows
  trayItem("toggleStandaloneSound")->trigger();
  EXPECT_FALSE(UserDefaults::standard().boolValue(QStringLiteral("standaloneSoundOn")));
  // Next Sound moves the choice in both lists; Previous brings it back.
  const QString before = UserDefaults::standard().string(QStringLiteral("standaloneSound"));
  trayItem("nextSound")->trigger();
  const QString after = UserDefaults::standard().string(QStringLiteral("standaloneSound"));
  EXPECT_NE(after, before);
  const auto checkedIn = [](QMenu* list) {
    for (QAction* item : list->actions()) {
      if (item->isChecked())
        return item->text();
    }
    return QString();
  };
  EXPECT_EQ(checkedIn(traySounds), checkedIn(menu.continuousSoundsMenu()));
  trayItem("previousSound")->trigger();
  EXPECT_EQ(UserDefaults::standard().string(QStringLiteral("standaloneSound")), before);
}

// A middle-click pastes the primary selection into a pad: an empty one, held
// by nobody or by the program itself, pastes nothing (and ends nothing);
// text the program holds arrives.
TEST(ProgramOnDesktop, AMiddleClickIntoAPadPastesThePrimarySelection) {
  test::StartedProgram p({{QStringLiteral("nowPadHidden"), false}});
  MainWindow* window = p.program->shell().appDelegate().mainWindow();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  NowAndLaterBoardTextView* pad = window->controller().nowPadController()->textView();
  ASSERT_TRUE(pad->isVisible());
  pad->setFocus(Qt::MouseFocusReason);
  const QString before = pad->toPlainText();
  const QPoint end = pad->cursorRect(QTextCursor(pad->document()->lastBlock())).center();
  const auto middleClick = [&] {
    QTest::mouseClick(pad->viewport(), Qt::MiddleButton, {}, end);
    QCoreApplication::processEvents();
  };
  QClipboard* clipboard = QGuiApplication::clipboard();
  ASSERT_TRUE(clipboard->supportsSelection());
  clipboard->clear(QClipboard::Selection);
  middleClick();
  EXPECT_EQ(pad->toPlainText(), before);
  clipboard->setMimeData(new QMimeData, QClipboard::Selection);
  ASSERT_TRUE(clipboard->ownsSelection());
  middleClick();
  EXPECT_EQ(pad->toPlainText(), before);

  clipboard->setText(QStringLiteral("Write the summary"), QClipboard::Selection);
  ASSERT_TRUE(clipboard->ownsSelection());
  middleClick();
  EXPECT_TRUE(pad->toPlainText().contains(QStringLiteral("Write the summary")))
      << pad->toPlainText().toStdString();
}
