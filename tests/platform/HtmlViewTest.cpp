#include "platform/services/HtmlView.h"
#include "platform/services/BlankHtmlView.h"
#include "platform/services/TestHtmlView.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

using namespace kr;

TEST(HtmlViewTest, TheFactoryGivesTheInstalledBackEndOrAViewThatShowsNothing) {
  std::unique_ptr<HtmlView> none(HtmlView::create());
  ASSERT_NE(dynamic_cast<BlankHtmlView*>(none.get()), nullptr);
  QSignalSpy finished(none.get(), &HtmlView::loadFinished);
  none->loadFile(QStringLiteral("/tmp/page.html"));
  ASSERT_EQ(finished.size(), 1);
  EXPECT_FALSE(finished.first().at(0).toBool());
  EXPECT_FALSE(none->canGoBack());

  HtmlView::installFactory([](QWidget* parent) { return new TestHtmlView(parent); });
  std::unique_ptr<HtmlView> test(HtmlView::create());
  HtmlView::installFactory(nullptr);
  EXPECT_NE(dynamic_cast<TestHtmlView*>(test.get()), nullptr);
  std::unique_ptr<HtmlView> again(HtmlView::create());
  EXPECT_NE(dynamic_cast<BlankHtmlView*>(again.get()), nullptr);
}

TEST(HtmlViewTest, HistoryAndLinksFollowWhatABrowserDoes) {
  TestHtmlView view;
  QSignalSpy finished(&view, &HtmlView::loadFinished);
  view.loadFile(QStringLiteral("/help/a.html"));
  view.loadFile(QStringLiteral("/help/b.html"));
  EXPECT_TRUE(view.canGoBack());
  EXPECT_FALSE(view.canGoForward());
  view.back();
  EXPECT_EQ(view.url(), QUrl::fromLocalFile(QStringLiteral("/help/a.html")));
  EXPECT_TRUE(view.canGoForward());
  // A new page drops the pages ahead.
  EXPECT_TRUE(view.clickLink(QUrl::fromLocalFile(QStringLiteral("/help/c.html"))));
  EXPECT_FALSE(view.canGoForward());
  EXPECT_EQ(finished.size(), 4);

  // By default only local files stay inside.
  EXPECT_FALSE(view.clickLink(QUrl(QStringLiteral("https://example.org/"))));
  view.setLinkPolicy([](const QUrl& url) { return url.scheme() == QStringLiteral("https"); });
  EXPECT_TRUE(view.clickLink(QUrl(QStringLiteral("https://example.org/"))));
  EXPECT_FALSE(view.linkStaysInside(QUrl::fromLocalFile(QStringLiteral("/x.html"))));

  view.showBlankPage(QStringLiteral("Nothing here."));
  EXPECT_EQ(view.url(), QUrl(QStringLiteral("about:blank")));
  EXPECT_EQ(view.blankPageLine(), QStringLiteral("Nothing here."));
  EXPECT_EQ(view.loadedFiles(), (QStringList{"/help/a.html", "/help/b.html"}));
}
