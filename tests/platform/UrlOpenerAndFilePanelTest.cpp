// Opening addresses and asking for files, with and without a desktop behind.
#include "platform/DesktopUrlOpener.h"
#include "platform/FilePanelPresenter.h"
#include "platform/TestUrlOpener.h"
#include "platform/UrlOpenerAPI.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kr;

TEST(UrlOpener, WithoutADesktopOpenerAnAddressIsOnlyNamedOnTheConsole) {
  test::ConsoleCapture console;
  EXPECT_FALSE(UrlOpenerAPI::shared().open(QUrl(QStringLiteral("https://example.org/a"))));
  EXPECT_EQ(console.lines().filter(QStringLiteral("No application opened")).size(), 1);
  EXPECT_TRUE(console.contains(QStringLiteral("https://example.org/a")));

  TestUrlOpener opener;
  UrlOpenerAPI::install(&opener);
  EXPECT_TRUE(UrlOpenerAPI::shared().open(QUrl(QStringLiteral("omnifocus:///task/x"))));
  UrlOpenerAPI::install(nullptr);
  EXPECT_EQ(opener.opened, QList<QUrl>{QUrl(QStringLiteral("omnifocus:///task/x"))});
}

TEST(UrlOpener, OurOwnLinksGoToTheirHandlerAndAnInvalidAddressToNoOne) {
  DesktopUrlOpener opener;
  QList<QUrl> handled;
  opener.routeScheme(QStringLiteral("korvaner2things"),
                     [&](const QUrl& url) { handled.append(url); });
  EXPECT_TRUE(opener.open(QUrl(QStringLiteral("KORVANER2THINGS://show?id=7"))));
  ASSERT_EQ(handled.size(), 1);
  EXPECT_EQ(handled.first().query(), QStringLiteral("id=7"));

  test::ConsoleCapture console;
  EXPECT_FALSE(opener.open(QUrl()));
  EXPECT_EQ(console.lines().filter(QStringLiteral("No application opened")).size(), 1);
  // Without the route the link is the desktop's, like any other.
  opener.routeScheme({}, {});
  EXPECT_FALSE(opener.open(QUrl(QStringLiteral("http://[::1"))));
  EXPECT_EQ(handled.size(), 1);
}

TEST(FilePanelPresenter, WithoutPanelsEveryRequestIsCancelledAndNamed) {
  test::ConsoleCapture console;
  FilePanelRequest request;
  request.title = QStringLiteral("Export Logs in CSV format");
  EXPECT_FALSE(FilePanelPresenter::shared().savePanel(request));
  EXPECT_FALSE(FilePanelPresenter::shared().openPanel(request));
  EXPECT_EQ(
      console.lines().filter(QStringLiteral("\"Export Logs in CSV format\" cancelled")).size(), 2);

  TestFilePanelPresenter panels;
  panels.answer = QStringLiteral("/tmp/x.csv");
  FilePanelPresenter::install(&panels);
  EXPECT_EQ(FilePanelPresenter::shared().savePanel(request), QStringLiteral("/tmp/x.csv"));
  FilePanelPresenter::install(nullptr);
  EXPECT_EQ(panels.saveRequests.size(), 1);
}
