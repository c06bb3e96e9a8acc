// Where the desktop URL opener sends an address.
#include "platform/linux/desktop/DesktopUrlOpener.h"

#include "platform/UrlOpenerAPI.h"
#include "support/TestEnvironment.h"

#include <QDesktopServices>
#include <QObject>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// Stands in for the desktop's handler of one scheme.
class SchemeCatcher : public QObject {
  Q_OBJECT

public:
  QList<QUrl> caught;

public Q_SLOTS:
  void open(const QUrl& url) { caught.append(url); }
};

TEST(DesktopUrlOpener, OwnLinksStayInTheProgramOthersGoToTheDesktop) {
  SchemeCatcher web;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &web, "open");
  QStringList ownLinks;
  DesktopUrlOpener opener(QStringLiteral("korvaner2things"),
                          [&](const QString& url) { ownLinks << url; });

  EXPECT_TRUE(opener.open(QUrl(QStringLiteral("korvaner2things://todo-7"))));
  EXPECT_TRUE(opener.open(QUrl(QStringLiteral("KorvaneR2Things://todo-8"))));
  EXPECT_EQ(ownLinks, (QStringList{QStringLiteral("korvaner2things://todo-7"),
                                   QStringLiteral("korvaner2things://todo-8")}));
  EXPECT_TRUE(web.caught.isEmpty());

  EXPECT_TRUE(opener.open(QUrl(QStringLiteral("https://example.org/page"))));
  EXPECT_EQ(web.caught, QList<QUrl>{QUrl(QStringLiteral("https://example.org/page"))});

  // Nothing that is not an address is handed on.
  test::ConsoleCapture console;
  EXPECT_FALSE(opener.open(QUrl()));
  EXPECT_FALSE(opener.open(QUrl(QStringLiteral("no scheme at all"))));
  EXPECT_TRUE(console.contains(QStringLiteral("is not an address that can be opened")));
  EXPECT_EQ(web.caught.size(), 1);
  EXPECT_EQ(ownLinks.size(), 2);
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

  // Without a handler for its own links, they are refused, not sent out.
  DesktopUrlOpener bare(QStringLiteral("korvaner2things"), {});
  EXPECT_FALSE(bare.open(QUrl(QStringLiteral("korvaner2things://todo-9"))));
}

TEST(UrlOpenerAPI, WithoutAnInstalledOpenerNothingIsOpenedAndTheConsoleSaysSo) {
  ASSERT_EQ(UrlOpenerAPI::installed(), nullptr);
  test::ConsoleCapture console;
  EXPECT_FALSE(UrlOpenerAPI::shared().open(QUrl(QStringLiteral("https://example.org/"))));
  EXPECT_TRUE(console.contains(QStringLiteral("nothing can open https://example.org/")));
}

} // namespace

#include "DesktopUrlOpenerTest.moc"
