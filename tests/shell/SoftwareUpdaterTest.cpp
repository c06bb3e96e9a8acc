// The updater's version rules, its feed read from a server on this computer,
// and its automatic checks on the test clock.
#include "shell/SoftwareUpdater.h"
#include "shell/UpdateFeedFetcher.h"

#include "platform/QnLog.h"
#include "platform/services/TestAlertPresenter.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/settings/UserDefaults.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kr;

namespace {

// Answers every request with one canned response, then closes the connection;
// "/moved" is sent on to "/feed.xml".
class FeedServer {
public:
  FeedServer() {
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server.nextPendingConnection()) {
        // Each connection's own: the client may open one while it uses another.
        auto received = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
          *received += socket->readAll();
          if (!received->contains("\r\n\r\n"))
            return;
          request = *received;
          // Requests are counted, not connections: the client may open a
          // connection it never uses.
          ++requests;
          if (silent)
            return;
          if (request.startsWith("GET /endless ")) {
            stream(socket);
            return;
          }
          socket->write(request.startsWith("GET /moved ")
                            ? "HTTP/1.1 301 Moved\r\nLocation: /feed.xml\r\nContent-Length: "
                              "0\r\nConnection: close\r\n\r\n"
                            : response);
          socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }
  QUrl url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(server.serverPort()));
  }
  void answer(const QByteArray& body, const QByteArray& status = "200 OK",
              const QByteArray& headers = {}) {
    response = "HTTP/1.1 " + status + "\r\nContent-Type: application/rss+xml\r\n" + headers +
               "Content-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
  }

  // "/endless" answers with a body that goes on until the client closes the
  // connection (or, at the latest, 256 MiB).
  void stream(QTcpSocket* socket) {
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\n\r\n<rss>");
    const auto more = [this, socket] {
      while (socket->bytesToWrite() < 256 * 1024 && streamed < (qint64(256) << 20)) {
        streamed += socket->write(QByteArray(64 * 1024, ' '));
      }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { streamClosed = true; });
    more();
  }

  QTcpServer server;
  QByteArray response;
  QByteArray request;
  int requests = 0;
  bool silent = false;
  qint64 streamed = 0;
  bool streamClosed = false;
};

QByteArray feed(const QByteArray& items) {
  return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
         "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
         "<title>Korvane-R</title>" +
         items + "</channel></rss>";
}

QByteArray item(const QByteArray& version, const QByteArray& minimum = {},
                const QByteArray& link = "https://korvaner.io/download/") {
  QByteArray text = "<item><title>Korvane-R " + version + "</title><sparkle:version>" + version +
                    "</sparkle:version><link>" + link + "</link>";
  if (!minimum.isEmpty())
    text += "<sparkle:minimumSystemVersion>" + minimum + "</sparkle:minimumSystemVersion>";
  return text + "</item>";
}

class SoftwareUpdaterTest : public ::testing::Test {
protected:
  SoftwareUpdaterTest() {
    QCoreApplication::setApplicationVersion(QStringLiteral("3.0.0"));
    defaults.registerDefaults({{QStringLiteral("SUScheduledCheckInterval"), 86400},
                               {QStringLiteral("SUEnableAutomaticChecks"), true}});
    updater.setSystemVersion(QStringLiteral("12"));
    QnLog::setOn(true);
  }
  ~SoftwareUpdaterTest() override { QnLog::setOn(false); }

  // Runs `start` and waits for the check it starts to be told.
  bool checked(const std::function<void()>& start) {
    QSignalSpy done(&updater, &SoftwareUpdater::checkFinished);
    start();
    return done.wait(10000);
  }
  bool checkNow() {
    return checked([this] { updater.checkForUpdates(); });
  }
  QString lastMessage() const {
    return alerts.shown.isEmpty() ? QString() : alerts.shown.last().messageText;
  }

  test::TestClock clock;
  QTemporaryDir folder;
  UserDefaults defaults{folder.filePath(QStringLiteral("settings.conf"))};
  FeedServer server;
  SoftwareUpdater updater{defaults, server.url()};
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts{alerts};
  TestUrlOpener urls;
  ScopedUrlOpener scopedUrls{urls};
};

TEST(VersionOrder, TheStandardComparisonOrdersReleasesAndPreReleases) {
  struct Row {
    const char* a;
    const char* b;
    int order;
  };
  const Row table[] = {{"1.0", "1.0", 0},
                       {"3.1", "3.1", 0},
                       {"3.1.1", "3.1.2", -1},
                       {"3.1.2", "3.1.1", 1},
                       {"1.0b1", "1.0", -1},
                       {"1.0", "1.0b1", 1},
                       {"10.9", "10.10", -1},
                       {"10.10", "10.9", 1},
                       {"1.0.1", "1.0", 1},
                       {"1.0", "1.0.1", -1},
                       {"3.1b2", "3.1", -1},
                       {"3.1", "3.1b2", 1},
                       {"3.1b1", "3.1b2", -1},
                       {"3.1a1", "3.1b1", -1},
                       {"2", "10", -1},
                       {"1.010", "1.9", 1},
                       {"007", "7", 0},
                       {"", "1", -1},
                       {"99999999999999999999", "99999999999999999998", 1}};
  for (const Row& row : table) {
    EXPECT_EQ(
        SoftwareUpdater::compareVersion(QString::fromLatin1(row.a), QString::fromLatin1(row.b)),
        row.order)
        << row.a << " vs " << row.b;
  }
}

TEST(VersionOrder, TheBestItemIsTheNewestTheSystemMeets) {
  const auto make = [](QString version, QString minimum) {
    AppcastItem item;
    item.versionString = version;
    item.minimumSystemVersion = minimum;
    return item;
  };
  const QList<AppcastItem> items = {make("3.2", "10.11"), make("3.3", "99.0"), make("3.1", {})};
  auto best = SoftwareUpdater::bestValidUpdate(items, QStringLiteral("10.15.7"));
  ASSERT_TRUE(best);
  EXPECT_EQ(best->versionString, QStringLiteral("3.2"));
  // The minimum is met exactly; without a minimum an item fits an unknown system.
  EXPECT_TRUE(SoftwareUpdater::hostSupportsItem(make("4", "12"), QStringLiteral("12")));
  EXPECT_FALSE(SoftwareUpdater::hostSupportsItem(make("4", "12"), QStringLiteral("11")));
  best = SoftwareUpdater::bestValidUpdate(items, QString());
  ASSERT_TRUE(best);
  EXPECT_EQ(best->versionString, QStringLiteral("3.1"));
  EXPECT_FALSE(SoftwareUpdater::bestValidUpdate({make("3.3", "99.0")}, QStringLiteral("12")));
  // Of equal versions the first stays.
  AppcastItem first = make("3.2", {});
  first.title = QStringLiteral("first");
  best = SoftwareUpdater::bestValidUpdate({first, make("3.2", {})}, QStringLiteral("12"));
  EXPECT_EQ(best->title, QStringLiteral("first"));

  EXPECT_EQ(SoftwareUpdater::versionIdFromOsRelease("NAME=\"Debian\"\nVERSION_ID=\"12\"\n"),
            QStringLiteral("12"));
  EXPECT_EQ(SoftwareUpdater::versionIdFromOsRelease("VERSION_ID=22.04\n"), QStringLiteral("22.04"));
  EXPECT_EQ(SoftwareUpdater::versionIdFromOsRelease("PRETTY_NAME=sid\n"), QString());
}

TEST(AppcastFeed, ItemsGiveTheirVersionAsElementOrEnclosureAndOthersAreNoFeed) {
  QString error;
  const auto items = Appcast::parse(
      feed(item("3.1", "11") +
           "<item><enclosure url=\"https://x/y.deb\" sparkle:version=\"310\" "
           "sparkle:shortVersionString=\"3.1.0\"/><link>https://korvaner.io/</link></item>"
           "<item><title>no version</title></item>"),
      &error);
  ASSERT_TRUE(items) << error.toStdString();
  ASSERT_EQ(items->size(), 2);
  EXPECT_EQ(items->at(0).minimumSystemVersion, QStringLiteral("11"));
  EXPECT_EQ(items->at(1).versionString, QStringLiteral("310"));
  EXPECT_EQ(items->at(1).displayVersion(), QStringLiteral("3.1.0"));
  EXPECT_FALSE(Appcast::parse("<html><body>Moved</body></html>", &error));
  EXPECT_EQ(error, QStringLiteral("It is not an RSS feed."));
  EXPECT_FALSE(Appcast::parse("", &error));
}

TEST_F(SoftwareUpdaterTest, AManualCheckOffersANewerReleaseOrSaysItIsUpToDate) {
  server.answer(feed(item("3.1", "11") + item("3.2", "12") + item("3.5", "13")));
  ASSERT_TRUE(checkNow());
  EXPECT_TRUE(server.request.startsWith("GET /feed.xml HTTP/1.1"));
  ASSERT_EQ(alerts.shown.size(), 1);
  EXPECT_EQ(lastMessage(), QStringLiteral("Korvane-R 3.2 is available."));
  EXPECT_EQ(alerts.shown.last().buttons,
            (QStringList{QStringLiteral("Show Download Page"), QStringLiteral("Not Now")}));
  EXPECT_EQ(alerts.shown.last().escapeButton, 1);
  ASSERT_EQ(urls.opened.size(), 1);
  EXPECT_EQ(urls.opened.first(), QUrl(QStringLiteral("https://korvaner.io/download/")));

  // Not Now, after a redirect on this computer.
  alerts.answer = 1;
  updater.setFeedURL(server.url().resolved(QUrl(QStringLiteral("/moved"))));
  ASSERT_TRUE(checkNow());
  EXPECT_EQ(server.requests, 3);
  EXPECT_EQ(lastMessage(), QStringLiteral("Korvane-R 3.2 is available."));
  EXPECT_EQ(urls.opened.size(), 1);

  // A link that is no web page is never opened.
  alerts.answer = 0;
  server.answer(feed(item("3.2", {}, "file:///etc/passwd")));
  ASSERT_TRUE(checkNow());
  EXPECT_EQ(alerts.shown.last().buttons, QStringList{QStringLiteral("OK")});
  EXPECT_EQ(urls.opened.size(), 1);

  server.answer(feed(item("2.9") + item("3.0.0") + item("3.0b4")));
  ASSERT_TRUE(checkNow());
  EXPECT_EQ(lastMessage(), QStringLiteral("Korvane-R is up to date."));
  server.answer(feed({}));
  ASSERT_TRUE(checkNow());
  EXPECT_EQ(lastMessage(), QStringLiteral("Korvane-R is up to date."));
}

TEST_F(SoftwareUpdaterTest, AFeedThatCannotBeReadIsAFailureThatSaysWhy) {
  struct Case {
    const char* name;
    QByteArray response;
    QString reason;
  };
  server.answer(feed(item("3.2")).left(120));
  const QByteArray malformed = server.response;
  server.answer("Not here", "404 Not Found");
  const QByteArray missing = server.response;
  server.answer(feed(item("3.2")));
  QByteArray cutOff = server.response;
  cutOff.chop(40);
  const QByteArray declaredLarge = "HTTP/1.1 200 OK\r\nContent-Length: 2000000\r\n\r\n<rss>";
  const QByteArray streamedLarge =
      "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + QByteArray(1100000, ' ');
  const QByteArray redirected =
      "HTTP/1.1 302 Found\r\nLocation: http://example.com/feed.xml\r\nContent-Length: 0\r\n\r\n";
  const QByteArray redirectLoop =
      "HTTP/1.1 302 Found\r\nLocation: /feed.xml\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  const Case cases[] = {
      {"malformed", malformed, QStringLiteral("The update feed could not be read: ")},
      {"404", missing, QStringLiteral("The server answered \"404 Not Found\".")},
      {"cut off", cutOff, QStringLiteral("The update feed arrived cut off: ")},
      {"declared too large", declaredLarge,
       QStringLiteral("The update feed is larger than 1 MiB.")},
      {"too large", streamedLarge, QStringLiteral("The update feed is larger than 1 MiB.")},
      {"redirect loop", redirectLoop, QStringLiteral("The server redirected too often.")},
      {"less safe redirect", redirected,
       QStringLiteral("The update feed's address \"http://example.com/feed.xml\" is not a "
                      "secure (https) one.")}};
  for (const Case& c : cases) {
    server.response = c.response;
    alerts.shown.clear();
    ASSERT_TRUE(checkNow()) << c.name;
    ASSERT_EQ(alerts.shown.size(), 1) << c.name;
    EXPECT_EQ(lastMessage(), QStringLiteral("Korvane-R could not check for updates.")) << c.name;
    EXPECT_FALSE(alerts.shown.last().informativeText.isEmpty()) << c.name;
    EXPECT_TRUE(alerts.shown.last().informativeText.startsWith(c.reason))
        << c.name << ": " << alerts.shown.last().informativeText.toStdString();
  }
  // Plain http elsewhere than this computer is never fetched.
  const int requests = server.requests;
  updater.setFeedURL(QUrl(QStringLiteral("http://korvaner.io/app/korvane3.xml")));
  ASSERT_TRUE(checkNow());
  EXPECT_TRUE(alerts.shown.last().informativeText.contains(QStringLiteral("not a secure")));
  EXPECT_EQ(server.requests, requests);
}

namespace {
// Shows each alert as a message box does, in an event loop of its own, until
// `shownUntil` (asked first as the alert shows) says so or 10 seconds have
// passed.
class ModalAlertPresenter final : public AlertPresenterAPI {
public:
  AlertAnswer respond(const Alert& alert) override {
    shown.append(alert);
    if (shownUntil())
      return {0, false};
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (shownUntil())
        loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return {0, false};
  }
  std::function<bool()> shownUntil;
  QList<Alert> shown;
};
} // namespace

// A feed that never ends is cut off at the limit, before the alert says so,
// and the connection closed: nothing more is downloaded while the alert is
// open.
TEST_F(SoftwareUpdaterTest, AFeedThatNeverEndsIsCutOffAtTheLimitBeforeTheAlertShows) {
  ModalAlertPresenter modal;
  ScopedAlertPresenter scopedModal{modal};
  qint64 streamedWhenShown = -1;
  modal.shownUntil = [&] {
    if (streamedWhenShown < 0)
      streamedWhenShown = server.streamed;
    return server.streamClosed || server.streamed >= (qint64(64) << 20);
  };
  updater.setFeedURL(server.url().resolved(QUrl(QStringLiteral("/endless"))));
  ASSERT_TRUE(checkNow());
  ASSERT_EQ(modal.shown.size(), 1);
  EXPECT_EQ(modal.shown.last().informativeText,
            QStringLiteral("The update feed is larger than 1 MiB."));
  EXPECT_TRUE(server.streamClosed) << server.streamed << " bytes sent, and more to come";
  // What the connection held on its way counts in; far less than what an
  // open reply takes in meanwhile.
  EXPECT_LT(server.streamed, qint64(16) << 20);
  EXPECT_GE(streamedWhenShown, UpdateFeedFetcher::kMaximumBytes);
}

TEST_F(SoftwareUpdaterTest, OverlongValuesOrTooManyItemsMakeTheFeedUnreadable) {
  const QByteArray longest(256, '7');
  const QByteArray tooLong(257, '7');
  QByteArray nines;
  while (nines.size() < 1000000)
    nines += "9.";
  const auto bare = [](const QByteArray& version) {
    return "<item><sparkle:version>" + version + "</sparkle:version></item>";
  };
  QByteArray manyItems;
  for (int i = 0; i < 1001; ++i)
    manyItems += item("3.2");
  struct Case {
    const char* name;
    QByteArray feed;
    QString reason;
  };
  const Case cases[] = {
      {"a version of a million digits", feed(bare(QByteArray(1000000, '9'))),
       QStringLiteral("An item's version is longer than 256 characters.")},
      {"a version of a million parts", feed(bare(nines)),
       QStringLiteral("An item's version is longer than 256 characters.")},
      {"an enclosure's display version",
       feed("<item><enclosure sparkle:version=\"4\" sparkle:shortVersionString=\"" + tooLong +
            "\"/></item>"),
       QStringLiteral("An item's display version is longer than 256 characters.")},
      {"a minimum system version", feed(item("4", tooLong)),
       QStringLiteral("An item's minimum system version is longer than 256 characters.")},
      {"a link", feed(item("4", {}, "https://korvaner.io/" + tooLong)),
       QStringLiteral("An item's link is longer than 256 characters.")},
      {"1001 items", feed(manyItems), QStringLiteral("It holds more than 1000 items.")}};
  for (const Case& c : cases) {
    server.answer(c.feed);
    alerts.shown.clear();
    ASSERT_TRUE(checkNow()) << c.name;
    ASSERT_EQ(alerts.shown.size(), 1) << c.name;
    EXPECT_EQ(lastMessage(), QStringLiteral("Korvane-R could not check for updates.")) << c.name;
    EXPECT_EQ(alerts.shown.last().informativeText,
              QStringLiteral("The update feed could not be read: ") + c.reason)
        << c.name;
  }

  // At the bounds the feed is read; no alert text built from it is over 2000
  // characters, a long error of the XML reader neither.
  QByteArray mostItems;
  for (int i = 0; i < 999; ++i)
    mostItems += item("3.1");
  server.answer(feed(mostItems + item(longest)));
  ASSERT_TRUE(checkNow());
  ASSERT_TRUE(lastMessage().contains(QString::fromLatin1(longest)));
  server.answer(feed("<item>&" + QByteArray(5000, 'x') + ";</item>"));
  ASSERT_TRUE(checkNow());
  EXPECT_TRUE(alerts.shown.last().informativeText.startsWith(
      QStringLiteral("The update feed could not be read: ")));
  for (const Alert& alert : alerts.shown) {
    EXPECT_LE(alert.messageText.size(), 2000);
    EXPECT_LE(alert.informativeText.size(), 2000);
  }
}

TEST_F(SoftwareUpdaterTest, AServerThatNeverAnswersIsGivenUpAfterThirtySeconds) {
  server.silent = true;
  QSignalSpy done(&updater, &SoftwareUpdater::checkFinished);
  updater.checkForUpdates();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests == 1; }, 10000));
  clock.advance(29.0);
  EXPECT_TRUE(updater.isChecking());
  clock.advance(1.0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return done.size() == 1; }, 10000));
  EXPECT_EQ(alerts.shown.last().informativeText,
            QStringLiteral("The server did not answer within 30 seconds."));
}

TEST_F(SoftwareUpdaterTest, AutomaticChecksRunAnIntervalAfterTheLastAndSpeakOnlyOfAnUpdate) {
  const double start = clock.now();
  // Never checked: the first check is one interval after the first start.
  updater.startAutomaticChecks();
  ASSERT_TRUE(updater.nextCheckTime());
  EXPECT_DOUBLE_EQ(*updater.nextCheckTime(), start + 86400);

  // Not due: nothing is fetched.
  defaults.setValue(QStringLiteral("SULastCheckTime"), start - 3600);
  updater.setUpdateCheckInterval(86400);
  EXPECT_DOUBLE_EQ(*updater.nextCheckTime(), start + 82800);
  clock.advance(82799);
  EXPECT_FALSE(updater.isChecking());
  EXPECT_EQ(server.requests, 0);

  // Due: an update is offered; none and a failure say nothing.
  server.answer(feed(item("3.2")));
  ASSERT_TRUE(checked([&] { clock.advance(1); }));
  EXPECT_EQ(lastMessage(), QStringLiteral("Korvane-R 3.2 is available."));
  EXPECT_DOUBLE_EQ(defaults.doubleValue(QStringLiteral("SULastCheckTime")), start + 82800);
  EXPECT_DOUBLE_EQ(*updater.nextCheckTime(), start + 82800 + 86400);

  alerts.shown.clear();
  server.answer(feed(item("3.0.0")));
  ASSERT_TRUE(checked([&] { clock.advance(86400); }));
  server.answer("gone", "500 Internal Server Error");
  test::ConsoleCapture console;
  ASSERT_TRUE(checked([&] { clock.advance(86400); }));
  EXPECT_TRUE(alerts.shown.isEmpty());
  EXPECT_EQ(console.lines().filter(QStringLiteral("update check failed")).size(), 1);

  // A shorter interval counts from the last check; off: none are planned.
  const double last = defaults.doubleValue(QStringLiteral("SULastCheckTime"));
  updater.setUpdateCheckInterval(3600);
  EXPECT_DOUBLE_EQ(*updater.nextCheckTime(), last + 3600);
  defaults.setValue(QStringLiteral("SUEnableAutomaticChecks"), false);
  EXPECT_FALSE(updater.nextCheckTime());
  const int requests = server.requests;
  clock.advance(10 * 86400);
  EXPECT_EQ(server.requests, requests);
  EXPECT_EQ(clock.runningTimerCount(), 0);
}

} // namespace
