// The statistics and the help of the assembled program, on a desktop with the
// real web engine, shown again after every other pad took their place, in
// every order: each time the pane shows its page, read from the screen.
#include "StartedProgram.h"
#include "support/DarkPalette.h"

#include "platform/linux/web/DeferredHtmlView.h"
#include "platform/linux/web/WebEngineHtmlView.h"
#include "shell/AppDelegate.h"
#include "shell/ApplicationShell.h"
#include "support/TestEnvironment.h"
#include "window/MainWindow.h"
#include "window/MainWindowController.h"
#include "window/PadKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QScreen>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// As main() does before the application object: the engine refuses to start as
// root with its sandbox on.
[[maybe_unused]] const bool kEnginePrepared = [] {
  kr::DeferredHtmlView::prepareApplication();
  return true;
}();

constexpr int kStatistics = 4;
constexpr int kHelp = 5;
// No pad shown.
constexpr int kNone = -1;

QVariantMap allPadsHidden() {
  QVariantMap settings;
  for (const QString& key : PadKeys::padStorageKeyPaths())
    settings[key] = true;
  return settings;
}

// What the screen shows in the pane: the share of black, and the share of
// what stands apart from the page's ground (its text, its pictures).
struct Pane {
  double black = 1;
  double marks = 0;
  bool shown() const { return black < 0.1 && marks > 0.005 && marks < 0.6; }
};

Pane readPane(const QWidget* container) {
  const QPoint at = container->mapToGlobal(QPoint());
  const QImage shot = QGuiApplication::primaryScreen()
                          ->grabWindow(0, at.x(), at.y(), container->width(), container->height())
                          .toImage()
                          .convertToFormat(QImage::Format_RGB32);
  if (shot.isNull() || shot.width() * shot.height() == 0)
    return {};
  QHash<QRgb, int> counts;
  int black = 0;
  for (int y = 0; y < shot.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
    for (int x = 0; x < shot.width(); ++x) {
      ++counts[line[x]];
      if (qGray(line[x]) < 8)
        ++black;
    }
  }
  QRgb ground = 0;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
    if (it.value() > counts.value(ground))
      ground = it.key();
  }
  int marks = 0;
  for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
    if (std::abs(qGray(it.key()) - qGray(ground)) > 80)
      marks += it.value();
  }
  const double area = double(shot.width()) * shot.height();
  return {black / area, marks / area};
}

// The engine's render processes among this program's descendants.
int renderProcesses() {
  int count = 0;
  QStringList pids{QString::number(::getpid())};
  while (!pids.isEmpty()) {
    const QString pid = pids.takeLast();
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains("--type=renderer"))
      ++count;
    for (const QString& task : QDir(QStringLiteral("/proc/%1/task").arg(pid))
                                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      QFile children(QStringLiteral("/proc/%1/task/%2/children").arg(pid, task));
      if (children.open(QIODevice::ReadOnly))
        pids << QString::fromLatin1(children.readAll()).split(u' ', Qt::SkipEmptyParts);
    }
  }
  return count;
}

class WebPadsShownAgain : public ::testing::Test {
protected:
  explicit WebPadsShownAgain(const QPalette& palette = QPalette())
      : palette_((QApplication::setPalette(palette), palette)), started(allPadsHidden()) {}

  MainWindow& window() const { return *started.program->shell().appDelegate().mainWindow(); }

  // Shows the pad as its icon in the title band does (kNone: hides the one
  // shown); a web pad shown must show its page within the time limit.
  void show(int pad, const std::string& step) {
    if (pad == kNone) {
      if (shown_ != kNone)
        click(shown_);
    } else if (pad != shown_) {
      click(pad);
    }
    shown_ = pad;
    if (pad != kStatistics && pad != kHelp)
      return;
    Pane pane;
    const bool drawn = QTest::qWaitFor(
        [&] {
          const QWidget* container = visiblePage();
          pane = container ? readPane(container) : Pane();
          return pane.shown();
        },
        int(test::timeLimit(20000)));
    EXPECT_TRUE(drawn) << step << ": " << PadKeys::padTitles()[pad].toStdString() << " black "
                       << pane.black << ", marks " << pane.marks;
  }

  void click(int pad) {
    const QString title = PadKeys::padTitles()[pad];
    for (QAbstractButton* button : window().findChildren<QAbstractButton*>(title)) {
      if (button->isVisible()) {
        button->click();
        return;
      }
    }
    ADD_FAILURE() << "no icon for " << title.toStdString();
  }

  // The page's window of the web pad shown.
  QWidget* visiblePage() const {
    WebEngineHtmlView* view = shownView();
    return view ? view->pageContainer() : nullptr;
  }

  // Each web pad shown, another pad (or none) in its place, and the web pad
  // again; every pair in both orders.
  void showEachWebPadAgainAfterEveryOther() {
    window().show();
    window().activateWindow();
    for (int web : {kStatistics, kHelp}) {
      for (int other : {kNone, 0, 1, 2, 3, kStatistics, kHelp}) {
        if (other == web)
          continue;
        const std::string pair =
            PadKeys::padTitles()[web].toStdString() + " and " +
            (other == kNone ? std::string("none") : PadKeys::padTitles()[other].toStdString());
        show(web, pair + ", first");
        show(other, pair + ", the other");
        show(web, pair + ", again");
        show(other, pair + ", the other again");
        show(web, pair + ", a third time");
        // One black pane is enough to tell.
        if (HasFailure())
          return;
      }
    }
  }

  // The web view whose page shows.
  WebEngineHtmlView* shownView() const {
    for (WebEngineHtmlView* view : window().findChildren<WebEngineHtmlView*>()) {
      if (view->pageContainer() && view->pageContainer()->isVisible())
        return view;
    }
    return nullptr;
  }

  // The page's vertical scroll, as the page itself reports it.
  static double scrollY(WebEngineHtmlView* view) {
    // Shared with the callback: an answer that comes after the wait gave up
    // still has a place to go.
    struct Answer {
      double y = -1;
      bool given = false;
    };
    const auto answer = std::make_shared<Answer>();
    view->engineView()->page()->runJavaScript(QStringLiteral("window.scrollY"),
                                              [answer](const QVariant& value) {
                                                answer->y = value.toDouble();
                                                answer->given = true;
                                              });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer->given; }, int(test::timeLimit(5000))));
    return answer->y;
  }

  QPalette palette_;
  test::StartedProgram started;
  int shown_ = kNone;
};

class WebPadsShownAgainDark : public WebPadsShownAgain {
protected:
  WebPadsShownAgainDark() : WebPadsShownAgain(test::darkDesktopPalette()) {}
};

} // namespace

TEST_F(WebPadsShownAgain, EachShowsItsPageAfterEveryOtherPadInALightTheme) {
  showEachWebPadAgainAfterEveryOther();
}

TEST_F(WebPadsShownAgainDark, EachShowsItsPageAfterEveryOtherPadInADarkTheme) {
  showEachWebPadAgainAfterEveryOther();
}

TEST_F(WebPadsShownAgain, HiddenForAMinuteGivesItsPageBackAndShowsItAgainWhereItStood) {
  window().show();
  window().activateWindow();
  show(kHelp, "first");
  WebEngineHtmlView* help = shownView();
  ASSERT_TRUE(help && help->engineView());
  help->engineView()->page()->runJavaScript(QStringLiteral("window.scrollTo(0, 300)"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return scrollY(help) > 0; }, int(test::timeLimit(5000))));
  const double stood = scrollY(help);
  const QUrl address = help->url();
  EXPECT_GT(renderProcesses(), 0);

  show(kNone, "hidden");
  started.clock.advance(59);
  EXPECT_TRUE(help->engineView()) << "given back before its minute";
  started.clock.advance(2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !help->engineView(); }, int(test::timeLimit(5000))));
  EXPECT_FALSE(help->pageContainer());
  EXPECT_EQ(help->url(), address);
  EXPECT_TRUE(QTest::qWaitFor([] { return renderProcesses() == 0; }, int(test::timeLimit(10000))))
      << renderProcesses() << " render processes left";

  show(kHelp, "again");
  ASSERT_TRUE(help->engineView());
  EXPECT_EQ(help->url(), address);
  EXPECT_TRUE(QTest::qWaitFor([&] { return scrollY(help) == stood; }, int(test::timeLimit(10000))))
      << "scrolled to " << scrollY(help) << ", stood at " << stood;

  // Shown again within the minute, it keeps its page.
  show(kNone, "hidden briefly");
  started.clock.advance(30);
  show(kHelp, "shown within the minute");
  started.clock.advance(45);
  EXPECT_TRUE(help->engineView());
}
