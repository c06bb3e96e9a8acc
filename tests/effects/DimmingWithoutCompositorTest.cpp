// On a real X server (Xvfb, where no compositing manager runs): a dimming due
// during a slice maps no window at all, and one does once a compositing
// manager owns the selection "_NET_WM_CM_S<screen>".
#include "effects/EffectsServices.h"
#include "effects/OverlayScreenFadingHelper.h"
#include "effects/QNNotificationCenter.h"
#include "effects/ScriptLauncher.h"
#include "platform/ScreenOverlayWindows.h"
#include "platform/linux/CompositingCheck.h"
#include "platform/services/TestAudioOutput.h"
#include "platform/services/TestDesktopNotifier.h"
#include "platform/services/TestSpeechSynthesizer.h"

#include "RecordingOutputs.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

xcb_connection_t* connection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The overlay windows the X server shows (mapped and viewable).
int viewableOverlays() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() != QStringLiteral("ScreenOverlayWindow") || !widget->isVisible())
      continue;
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection(), xcb_get_window_attributes(connection(), xcb_window_t(widget->winId())),
        nullptr);
    if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
      ++count;
    std::free(attributes);
  }
  return count;
}

// Plays a compositing manager: owns the selection while it lives.
class FakeCompositingManager {
public:
  FakeCompositingManager() {
    xcb_connection_t* c = connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    window_ = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const QByteArray name =
        "_NET_WM_CM_S" + QByteArray::number(kr::CompositingCheck::x11ScreenNumber());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, quint16(name.size()), name.constData()), nullptr);
    xcb_set_selection_owner(c, window_, atom->atom, XCB_CURRENT_TIME);
    std::free(atom);
    xcb_flush(c);
  }
  ~FakeCompositingManager() {
    xcb_destroy_window(connection(), window_); // gives up the selection
    xcb_flush(connection());
  }

private:
  xcb_window_t window_ = 0;
};

TEST(DimmingWithoutCompositor, ADimDuringASliceMapsNoWindowUntilACompositorRuns) {
  ASSERT_NE(connection(), nullptr) << "runs on an X server (xvfb-run)";
  kr::test::TestClock clock;
  auto defaults = kr::test::makeEffectsDefaults();
  defaults->setValue(QStringLiteral("dimBeforeEndOfTimeSlice"), true);
  defaults->setValue(QStringLiteral("endOfTimeSliceDimDuration"), 2);
  kr::TestAudioOutput audio;
  kr::TestSpeechSynthesizer speech;
  kr::TestDesktopNotifier notifier;
  kr::ScriptLauncher scripts{QString()};
  kr::OverlayScreenFadingHelper fading(&kr::CompositingCheck::translucentWindowsShow);
  kr::EffectsServices::install(std::make_unique<kr::EffectsServices>(
      *defaults, kr::EffectsServices::BackEnds{audio, speech, notifier, &fading}, scripts,
      [] { return QString(); }, [] { return false; }));
  auto tick = [](int elapsed) {
    kr::QNNotificationCenter::sharedNotificationCenter().triggerNotificationForEvent(
        kr::QNNotificationCenter::kTimeSliceTime, elapsed, 1500);
  };

  QString why;
  EXPECT_FALSE(kr::CompositingCheck::translucentWindowsShow(&why));
  EXPECT_TRUE(why.contains(QStringLiteral("_NET_WM_CM_S"))) << why.toStdString();
  kr::test::ConsoleCapture console;
  tick(1498); // two seconds left: the dimming is due
  EXPECT_EQ(viewableOverlays(), 0);
  EXPECT_TRUE(fading.overlays().windows().empty());
  EXPECT_EQ(console.lines().filter(QStringLiteral("No screen dimming or flashes")).size(), 1);

  {
    FakeCompositingManager compositor;
    EXPECT_TRUE(kr::CompositingCheck::translucentWindowsShow());
    tick(1498);
    EXPECT_FALSE(fading.overlays().windows().empty()) << "with a compositor the dim is shown";
    fading.overlays().removeAll(0.0);
  }
  EXPECT_FALSE(kr::CompositingCheck::translucentWindowsShow());
  tick(1498);
  EXPECT_EQ(viewableOverlays(), 0);
  EXPECT_EQ(console.lines().filter(QStringLiteral("No screen dimming or flashes")).size(), 1);
  kr::EffectsServices::install(nullptr);
}

} // namespace
