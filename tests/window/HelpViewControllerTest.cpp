// The help viewer on the test web view: its buttons and the history.
#include "window/HelpViewController.h"
#include "window/HelpManager.h"

#include "kit/bricks/PushButtonBrick.h"
#include "kit/walls/FragmentStackView.h"
#include "platform/services/TestHtmlView.h"
#include "platform/services/TestUrlOpener.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

class HelpViewControllerTest : public ::testing::Test {
protected:
  void SetUp() override {
    HelpManager::installHelpPad([this] {
      padHidden = false;
      viewer.build();
      return &viewer;
    });
  }
  void TearDown() override { HelpManager::installHelpPad({}); }

  TestHtmlView* web() const { return static_cast<TestHtmlView*>(viewer.webView()); }
  QString shownPage() const { return web()->url().fileName(); }
  QUrl page(const char* name) const { return HelpManager::pageUrl(QString::fromUtf8(name)); }
  void press(PushButtonBrick* button) {
    ASSERT_TRUE(button->isEnabled()) << button->toolTip().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
  }

  int viewsMade = 0;
  HelpViewController viewer{[this](QWidget* parent) {
    ++viewsMade;
    return new TestHtmlView(parent);
  }};
  bool padHidden = true;
  TestUrlOpener opener;
  ScopedUrlOpener scopedOpener{opener};
};

TEST_F(HelpViewControllerTest, NoWebViewIsMadeBeforeTheViewerIsBuiltThenWelcomeLoadsFirst) {
  EXPECT_EQ(viewer.view(), nullptr);
  EXPECT_EQ(viewer.webView(), nullptr);
  EXPECT_EQ(viewsMade, 0);
  viewer.build();
  viewer.build(); // once only
  EXPECT_EQ(viewsMade, 1);
  EXPECT_EQ(web()->objectName(), QStringLiteral("Help Web View"));
  EXPECT_EQ(web()->loadedFiles(), QStringList{page("welcome.html").toLocalFile()});

  EXPECT_EQ(viewer.indexButton()->toolTip(), QStringLiteral("Help Index"));
  EXPECT_EQ(viewer.backButton()->toolTip(), QStringLiteral("Previous"));
  EXPECT_EQ(viewer.forwardButton()->toolTip(), QStringLiteral("Next"));
  EXPECT_EQ(viewer.openInBrowserButton()->toolTip(), QStringLiteral("Open in Browser..."));
  for (PushButtonBrick* button : {viewer.indexButton(), viewer.backButton(), viewer.forwardButton(),
                                  viewer.openInBrowserButton()}) {
    EXPECT_EQ(button->height(), 20);
    EXPECT_TRUE(button->text().isEmpty());
    EXPECT_FALSE(button->icon().isNull());
  }
  // The stack leaves the band at the top for the pad's header.
  viewer.view()->resize(420, 500);
  viewer.view()->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(viewer.fragmentStackView()->geometry().top(), 40);
  EXPECT_EQ(viewer.fragmentStackView()->geometry().bottom(), viewer.view()->height() - 1);
  // The buttons in one row, left to right, the last at the right edge.
  const QRect index = viewer.indexButton()->geometry();
  const QRect back = viewer.backButton()->geometry();
  const QRect forward = viewer.forwardButton()->geometry();
  const QRect open = viewer.openInBrowserButton()->geometry();
  EXPECT_LT(index.right(), back.left());
  EXPECT_LT(back.right(), forward.left());
  EXPECT_LT(forward.right(), open.left());
  EXPECT_EQ(back.center().y(), index.center().y());
  EXPECT_EQ(open.center().y(), forward.center().y());
  EXPECT_EQ(open.right(), viewer.openInBrowserButton()->parentWidget()->width() - 1);
  const QPoint webOrigin = web()->mapTo(viewer.view(), QPoint(0, 0));
  EXPECT_GT(webOrigin.y(), open.bottom() + 40);
  EXPECT_EQ(web()->mapTo(viewer.fragmentStackView(), QPoint(0, 0)).x(), 1);
}

TEST_F(HelpViewControllerTest, PreviousAndNextFollowTheHistory) {
  viewer.build();
  // After the first page both are disabled.
  EXPECT_FALSE(viewer.backButton()->isEnabled());
  EXPECT_FALSE(viewer.forwardButton()->isEnabled());

  ASSERT_TRUE(web()->clickLink(page("index.html")));
  EXPECT_TRUE(viewer.backButton()->isEnabled());
  EXPECT_FALSE(viewer.forwardButton()->isEnabled());

  press(viewer.backButton());
  EXPECT_EQ(shownPage(), QStringLiteral("welcome.html"));
  EXPECT_FALSE(viewer.backButton()->isEnabled());
  EXPECT_TRUE(viewer.forwardButton()->isEnabled());

  press(viewer.forwardButton());
  EXPECT_EQ(shownPage(), QStringLiteral("index.html"));
  EXPECT_TRUE(viewer.backButton()->isEnabled());
  EXPECT_FALSE(viewer.forwardButton()->isEnabled());

  // A move within the page is a step of the history too.
  QUrl tips = page("index.html");
  tips.setFragment(QStringLiteral("tips"));
  ASSERT_TRUE(web()->clickLink(tips));
  press(viewer.backButton());
  EXPECT_EQ(web()->url(), page("index.html"));
  EXPECT_TRUE(viewer.forwardButton()->isEnabled());
}

TEST_F(HelpViewControllerTest, AskingForThePageShownAddsNoHistory) {
  viewer.showPage(QStringLiteral("index.html"));
  const int loads = int(web()->loadedFiles().size());
  viewer.showPage(QStringLiteral("index.html"));
  EXPECT_EQ(web()->loadedFiles().size(), loads);
  press(viewer.backButton());
  EXPECT_EQ(shownPage(), QStringLiteral("welcome.html"));
  EXPECT_FALSE(viewer.backButton()->isEnabled());
}

TEST_F(HelpViewControllerTest, HelpIndexGoesThroughTheHelpManagerAndShowsTheHiddenPad) {
  viewer.build();
  padHidden = true;
  press(viewer.indexButton());
  EXPECT_FALSE(padHidden);
  EXPECT_EQ(shownPage(), QStringLiteral("index.html"));
  EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(HelpViewControllerTest, OpenInBrowserOpensThePageShownAndNothingWithoutOne) {
  viewer.build();
  web()->showBlankPage();
  press(viewer.openInBrowserButton());
  EXPECT_TRUE(opener.opened.isEmpty());

  ASSERT_TRUE(web()->clickLink(page("soft_break_feature.html")));
  press(viewer.openInBrowserButton());
  EXPECT_EQ(opener.opened, QList<QUrl>{page("soft_break_feature.html")});

  // Before any page (a view that has shown nothing) there is nothing to open.
  HelpViewController empty{[](QWidget* parent) {
    auto* view = new TestHtmlView(parent);
    return view;
  }};
  empty.openInBrowser();
  EXPECT_EQ(opener.opened.size(), 1);
}

TEST_F(HelpViewControllerTest, LinksLeavingTheHelpFolderOpenInTheBrowser) {
  viewer.build();
  EXPECT_TRUE(HelpViewController::linkStaysInside(page("index.html")));
  QUrl anchored = page("index.html");
  anchored.setFragment(QStringLiteral("files"));
  EXPECT_TRUE(HelpViewController::linkStaysInside(anchored));
  EXPECT_FALSE(HelpViewController::linkStaysInside(QUrl(QStringLiteral("https://example.org/"))));
  EXPECT_FALSE(HelpViewController::linkStaysInside(
      QUrl::fromLocalFile(HelpManager::helpFolder() + QStringLiteral("/../../desktop"))));
  EXPECT_FALSE(
      HelpViewController::linkStaysInside(QUrl::fromLocalFile(QStringLiteral("/etc/hosts"))));
  EXPECT_FALSE(web()->clickLink(QUrl(QStringLiteral("https://example.org/"))));
  EXPECT_EQ(shownPage(), QStringLiteral("welcome.html"));
}

TEST_F(HelpViewControllerTest, AMissingPageShowsALineSayingSo) {
  viewer.showPage(QStringLiteral("no_such_page.html"));
  EXPECT_EQ(web()->blankPageLine(),
            QStringLiteral("The help page \"no_such_page.html\" is not installed."));
  // The way back to the last page stays open.
  EXPECT_TRUE(viewer.backButton()->isEnabled());
  viewer.showPage(QStringLiteral("../welcome.html"));
  EXPECT_EQ(web()->loadedFiles().size(), 1);
}

} // namespace

namespace {

// The lightness of the icon's inked pixels, most opaque first, in that mode.
int inkLightness(const PushButtonBrick* button, QIcon::Mode mode, int* alpha) {
  const QImage image = button->icon().pixmap(QSize(16, 16), 2.0, mode).toImage();
  QColor strongest(Qt::transparent);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).alpha() > strongest.alpha())
        strongest = image.pixelColor(x, y);
  *alpha = strongest.alpha();
  return strongest.lightness();
}

} // namespace

TEST_F(HelpViewControllerTest, TheRowsIconsTakeTheInkOfTheBandTheySitOnAndFadeWhenDisabled) {
  viewer.build();
  QPalette band = viewer.view()->palette();
  for (const QColor& ink : {QColor(Qt::white), QColor(Qt::black)}) {
    band.setColor(QPalette::WindowText, ink);
    viewer.view()->setPalette(band);
    for (PushButtonBrick* button : {viewer.indexButton(), viewer.openInBrowserButton()}) {
      int alpha = 0;
      EXPECT_EQ(inkLightness(button, QIcon::Normal, &alpha), ink.lightness())
          << button->toolTip().toStdString();
      EXPECT_GT(alpha, 200);
      int faint = 0;
      inkLightness(button, QIcon::Disabled, &faint);
      EXPECT_LT(faint, alpha / 2) << "faint while disabled";
    }
  }
}
