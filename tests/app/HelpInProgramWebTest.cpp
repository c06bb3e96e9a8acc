// The help viewer of the assembled program on the real web engine.
#include "StartedProgram.h"
#include "support/PageGrab.h"

#include "kit/bricks/PushButtonBrick.h"
#include "platform/linux/web/DeferredHtmlView.h"
#include "platform/linux/web/WebEngineHtmlView.h"
#include "platform/services/TestUrlOpener.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "window/HelpManager.h"
#include "window/HelpViewController.h"
#include "window/MainMenu.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

#include <gtest/gtest.h>

using namespace kr;

namespace {

constexpr int kWaitMs = 30000;

bool helpWebViewExists() {
  for (QWidget* widget : QApplication::allWidgets()) {
    if (widget->objectName() == QLatin1String("Help Web View"))
      return true;
  }
  return false;
}

class HelpInProgramWebTest : public ::testing::Test {
protected:
  MainWindowController& windowController() const {
    return started.program->shell().appDelegate().mainWindow()->controller();
  }
  // The engine's view inside the program's web view: the engine's module is
  // loaded when the help is first shown.
  WebEngineHtmlView* web() const {
    auto* deferred =
        qobject_cast<DeferredHtmlView*>(windowController().helpController()->webView());
    return deferred ? qobject_cast<WebEngineHtmlView*>(deferred->engineView()) : nullptr;
  }

  // Runs the script in the shown page and waits for its answer.
  QVariant evaluate(const QString& script) {
    QVariant result;
    bool done = false;
    web()->engineView()->page()->runJavaScript(script, [&](const QVariant& value) {
      result = value;
      done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs)) << qPrintable(script);
    return result;
  }

  // Waits for the next finished load (or move within the page) after `step`.
  void waitForLoad(const std::function<void()>& step) {
    QSignalSpy loaded(web(), &HtmlView::loadFinished);
    step();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
    ASSERT_TRUE(loaded.last().at(0).toBool());
  }

  // Clicks the link with the mouse, as a user does (the engine keeps no
  // history step for a link a script clicked).
  void clickLink(const QString& selector) {
    const QVariantList centre =
        evaluate(QStringLiteral("(function () { var e = document.querySelector('%1');"
                                " e.scrollIntoView(); var r = e.getBoundingClientRect();"
                                " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                     .arg(selector))
            .toList();
    ASSERT_EQ(centre.size(), 2) << selector.toStdString();
    QWidget* page = web()->engineView()->focusProxy();
    ASSERT_NE(page, nullptr);
    const QPoint at(centre[0].toInt(), centre[1].toInt());
    QTest::mouseMove(page, at);
    QTest::mouseClick(page, Qt::LeftButton, Qt::NoModifier, at);
  }
  void followLink(const char* href) {
    waitForLoad([&] { clickLink(QStringLiteral("a[href=\"%1\"]").arg(QString::fromUtf8(href))); });
  }

  QString shown() const {
    const QUrl url = web()->url();
    return url.fileName() + (url.hasFragment() ? QStringLiteral("#") + url.fragment() : QString());
  }

  void press(PushButtonBrick* button) {
    ASSERT_TRUE(button->isEnabled()) << button->toolTip().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
  }

  test::StartedProgram started;
};

TEST_F(HelpInProgramWebTest, TheMenuShowsTheViewerWhoseButtonsFollowLinksClickedInThePage) {
  // No web view is made at start-up.
  EXPECT_EQ(windowController().helpController(), nullptr);
  EXPECT_FALSE(helpWebViewExists());

  MainMenu& menu = started.program->shell().mainMenu();
  QAction* help = menu.itemSending(QStringLiteral("showHelp"));
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->text(), QStringLiteral("Korvane-R Help"));
  // The menu enables the item as it opens.
  QAction* helpItem = menu.itemSending(QStringLiteral("showHelp"));
  helpItem->setEnabled(false);
  for (QAction* top : menu.menu()->actions()) {
    if (top->menu() && top->menu()->actions().contains(helpItem))
      Q_EMIT top->menu()->aboutToShow();
  }
  EXPECT_TRUE(helpItem->isEnabled());
  help->trigger();

  HelpViewController* viewer = windowController().helpController();
  ASSERT_NE(viewer, nullptr);
  ASSERT_NE(web(), nullptr);
  // The viewer fills the help pad beside the page.
  QWidget* window = &windowController().window();
  EXPECT_TRUE(windowController().isPadSectionVisible());
  EXPECT_TRUE(viewer->view()->isVisibleTo(window));
  QSignalSpy loaded(web(), &HtmlView::loadFinished);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return evaluate(QStringLiteral("location.href + ' ' + document.readyState"))
            .toString()
            .endsWith(QLatin1String("/welcome.html complete"));
      },
      kWaitMs));
  EXPECT_EQ(shown(), QStringLiteral("welcome.html"));
  EXPECT_EQ(evaluate(QStringLiteral("document.title")).toString(),
            QStringLiteral("Welcome to Korvane-R"));
  // The stylesheet and the image come from the folder.
  EXPECT_EQ(evaluate(QStringLiteral("document.styleSheets[0].cssRules.length > 0")).toBool(), true);
  EXPECT_EQ(evaluate(QStringLiteral("document.querySelector('img.logo').naturalWidth")).toInt(),
            48);
  EXPECT_FALSE(viewer->backButton()->isEnabled());
  EXPECT_FALSE(viewer->forwardButton()->isEnabled());

  // A link to another page, then one within that page.
  followLink("index.html");
  EXPECT_EQ(shown(), QStringLiteral("index.html"));
  EXPECT_TRUE(viewer->backButton()->isEnabled());
  EXPECT_FALSE(viewer->forwardButton()->isEnabled());
  followLink("#tips");
  EXPECT_EQ(shown(), QStringLiteral("index.html#tips"));
  EXPECT_TRUE(viewer->backButton()->isEnabled());

  // Back from the anchor is a move within the page: the buttons follow it.
  waitForLoad([&] { press(viewer->backButton()); });
  EXPECT_EQ(shown(), QStringLiteral("index.html"));
  EXPECT_TRUE(viewer->forwardButton()->isEnabled());
  waitForLoad([&] { press(viewer->backButton()); });
  EXPECT_EQ(shown(), QStringLiteral("welcome.html"));
  EXPECT_FALSE(viewer->backButton()->isEnabled());
  EXPECT_TRUE(viewer->forwardButton()->isEnabled());

  // A link that leaves the folder goes to the browser; the viewer stays.
  TestUrlOpener opener;
  ScopedUrlOpener scoped(opener);
  evaluate(QStringLiteral("var a = document.createElement('a'); a.id = 'out';"
                          "a.href = 'https://example.org/'; a.textContent = 'Leaving the help';"
                          "document.body.insertBefore(a, document.body.firstChild);"));
  clickLink(QStringLiteral("#out"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !opener.opened.isEmpty(); }, kWaitMs));
  EXPECT_EQ(opener.opened.value(0), QUrl(QStringLiteral("https://example.org/")));
  EXPECT_EQ(shown(), QStringLiteral("welcome.html"));

  press(viewer->openInBrowserButton());
  EXPECT_EQ(opener.opened.value(1), HelpManager::pageUrl(QStringLiteral("welcome.html")));

  // Help Index, and the same page asked again adds no step.
  waitForLoad([&] { press(viewer->indexButton()); });
  EXPECT_EQ(shown(), QStringLiteral("index.html"));
  EXPECT_FALSE(viewer->forwardButton()->isEnabled());
  HelpManager::showHelpIndex();
  waitForLoad([&] { press(viewer->backButton()); });
  EXPECT_EQ(shown(), QStringLiteral("welcome.html"));

  QTest::qWait(0);
  EXPECT_TRUE(
      test::grabWithPages(window).save(QStringLiteral(KR_SCREENSHOT_DIR "/help-window.png")));
}

} // namespace

// Tab stops before and after the page in the window's focus chain; Tab goes
// into the page and out past its last link, Shift+Tab out before its first.
TEST_F(HelpInProgramWebTest, TabAndShiftTabLeadIntoThePageAndOutOfIt) {
  started.program->shell().mainMenu().itemSending(QStringLiteral("showHelp"))->trigger();
  ASSERT_NE(web(), nullptr);
  QSignalSpy loaded(web(), &HtmlView::loadFinished);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kWaitMs));
  QWidget* window = &windowController().window();
  QWidget* container = web()->pageContainer();
  ASSERT_TRUE(container && container->isVisible());
  const auto tabStop = [&](bool next) {
    QWidget* w = container;
    do
      w = next ? w->nextInFocusChain() : w->previousInFocusChain();
    while (w != container && !((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
                               !w->focusProxy() && w->isVisible() && w->isEnabled()));
    return w;
  };
  QWidget* before = tabStop(false);
  QWidget* after = tabStop(true);
  ASSERT_NE(before, container);
  const auto focusedIn = [&](QWidget* widget) {
    return QTest::qWaitFor([&] { return QApplication::focusWidget() == widget; }, kWaitMs);
  };
  // The keyboard stays with the window: the container hands it to the page,
  // which the engine then sees focused, its link drawn with the focus ring.
  const auto focusedLink = [&] {
    return evaluate(QStringLiteral(
                        "document.hasFocus() && document.activeElement.matches(':focus-visible')"
                        " ? Array.prototype.indexOf.call(document.querySelectorAll('a[href]'),"
                        " document.activeElement) : -2"))
        .toInt();
  };
  const int links = evaluate(QStringLiteral("document.querySelectorAll('a[href]').length")).toInt();
  ASSERT_GT(links, 1);
  const auto inPage = [&](int link) {
    return focusedIn(container) && QTest::qWaitFor([&] { return focusedLink() == link; }, kWaitMs);
  };
  const auto pageBlurred = [&] {
    return QTest::qWaitFor(
        [&] { return !evaluate(QStringLiteral("document.hasFocus()")).toBool(); }, kWaitMs);
  };
  before->setFocus();
  window->activateWindow();
  ASSERT_TRUE(focusedIn(before));
  EXPECT_FALSE(evaluate(QStringLiteral("document.hasFocus()")).toBool());
  QTest::keyClick(before, Qt::Key_Tab);
  ASSERT_TRUE(inPage(0)) << "at the first link, focused as the engine sees it";
  QTest::keyClick(container, Qt::Key_Tab);
  ASSERT_TRUE(inPage(1)) << "Tab within the page";
  QTest::keyClick(container, Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_TRUE(inPage(0));
  QTest::keyClick(container, Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_TRUE(focusedIn(before));
  EXPECT_TRUE(pageBlurred()) << "the page no longer has the keyboard";

  // Shift+Tab from the widget after the page comes in at its last link.
  after->setFocus(Qt::OtherFocusReason);
  ASSERT_TRUE(focusedIn(after));
  QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_TRUE(inPage(links - 1)) << "at the last link";
  QTest::keyClick(container, Qt::Key_Tab);
  ASSERT_TRUE(focusedIn(after));
  EXPECT_TRUE(pageBlurred());

  before->setFocus(Qt::OtherFocusReason);
  ASSERT_TRUE(focusedIn(before));
  QTest::keyClick(before, Qt::Key_Tab);
  ASSERT_TRUE(inPage(0));
  for (int press = 0; press < links; ++press) {
    QTest::keyClick(container, Qt::Key_Tab);
    if (QTest::qWaitFor([&] { return QApplication::focusWidget() == after; }, 500))
      break;
  }
  EXPECT_TRUE(focusedIn(after));
}
