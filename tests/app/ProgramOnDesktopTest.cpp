// The program as main() builds it on a desktop with a window manager and a
// tray host: every service holds its desktop implementation, none the
// console or empty stand-in it has before start-up.
#include "StartedProgram.h"

#include "effects/EffectsServices.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "platform/AlertPresenterAPI.h"
#include "platform/FileBrowserAPI.h"
#include "platform/HtmlView.h"
#include "platform/QMessageBoxAlertPresenter.h"
#include "platform/linux/dbus/FreedesktopNotifier.h"
#include "platform/linux/desktop/DesktopFileBrowser.h"
#include "platform/linux/media/QtAudioOutput.h"
#include "platform/linux/media/QtSpeechSynthesizer.h"
#include "platform/linux/tray/TrayStatusItem.h"
#include "platform/linux/web/WebEngineHtmlView.h"
#include "platform/linux/x11/X11HotKeyBackend.h"
#include "shell/ActivityMonitor.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "shortcuts/HotKeyCenter.h"
#include "states/RestBreakHelper.h"

#include <gtest/gtest.h>

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
  EXPECT_NE(dynamic_cast<WebEngineHtmlView*>(web.get()), nullptr) << "web pages";

  auto* monitor = dynamic_cast<ActivityMonitor*>(shell.appDelegate().activityMonitor());
  ASSERT_NE(monitor, nullptr) << "idle time";
  EXPECT_TRUE(monitor->hasIdleTimeSource()) << "the X server answers for the idle time";

  ASSERT_NE(shell.statusItem(), nullptr) << "status item";
  EXPECT_NE(dynamic_cast<TrayStatusItem*>(shell.statusItem()), nullptr)
      << "status item " << typeid(*shell.statusItem()).name();
  EXPECT_NE(shell.statusItemController(), nullptr);

  EXPECT_NE(dynamic_cast<X11HotKeyBackend*>(&HotKeyCenter::shared().backend()), nullptr)
      << "global hot keys";

  ASSERT_TRUE(EffectsServices::isInstalled()) << "sound, speech, notifications";
  const EffectsServices::BackEnds& effects = EffectsServices::shared().backEnds();
  EXPECT_NE(dynamic_cast<QtAudioOutput*>(&effects.audio), nullptr) << "sound";
  EXPECT_NE(dynamic_cast<QtSpeechSynthesizer*>(&effects.speech), nullptr) << "speech";
  EXPECT_NE(dynamic_cast<FreedesktopNotifier*>(&effects.notifier), nullptr) << "notifications";
  EXPECT_NE(dynamic_cast<OverlayScreenFadingHelper*>(RestBreakHelper::shared().screenFading()),
            nullptr)
      << "screen fading";
  EXPECT_EQ(RestBreakHelper::shared().screenFading(), &EffectsServices::shared().screenFading())
      << "one set of screen windows for the rest screen and the dimming";
}
