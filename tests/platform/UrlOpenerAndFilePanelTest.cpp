// Opening addresses and asking for files, with and without a desktop behind.
#include "platform/services/DesktopUrlOpener.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/services/TestUrlOpener.h"
#include "platform/services/UrlOpenerAPI.h"

#include "platform/linux/desktop/DesktopFileBrowser.h"
#include "platform/services/TestAlertPresenter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kr;

namespace {

// A PATH whose first folder holds an "xdg-open" that writes down what it was
// given and ends with `status`.
class FakeOpener {
public:
  explicit FakeOpener(int status) : oldPath_(qgetenv("PATH")) {
    QFile script(dir_.path() + QStringLiteral("/xdg-open"));
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\nexit %2\n")
                     .arg(given(), QString::number(status))
                     .toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    qputenv("PATH", dir_.path().toUtf8() + ':' + oldPath_);
  }
  ~FakeOpener() { qputenv("PATH", oldPath_); }
  QString given() const { return dir_.path() + QStringLiteral("/given"); }

private:
  QTemporaryDir dir_;
  QByteArray oldPath_;
};

} // namespace

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

TEST(UrlOpener, AnAddressNoProgramOpensIsToldInOneAlertWithTheAddressToCopy) {
  TestAlertPresenter alerts;
  ScopedAlertPresenter scopedAlerts(alerts);
  FakeOpener fake(3);
  DesktopUrlOpener opener;
  ScopedUrlOpener installed(opener);
  const QString address = QStringLiteral("https://example.org/a?b=1&c=2");
  EXPECT_TRUE(opener.open(QUrl(address)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !alerts.shown.isEmpty(); }, 10000));
  EXPECT_EQ(alerts.shown.first().messageText, QStringLiteral("Could not open the web page."));
  EXPECT_TRUE(alerts.shown.first().informativeText.contains(QStringLiteral("\n\n") + address));
  EXPECT_TRUE(alerts.shown.first().informativeText.contains(
      QStringLiteral("No program is set up to open it. You can copy its address")));
  EXPECT_TRUE(alerts.shown.first().selectableText);
  QFile given(fake.given());
  ASSERT_TRUE(given.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(given.readAll()), address);

  // A folder that nothing opens, as the file browser shows it.
  QTemporaryDir folder;
  DesktopFileBrowser browser;
  EXPECT_TRUE(browser.openFolder(folder.path()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return alerts.shown.size() == 2; }, 10000));
  EXPECT_EQ(alerts.shown.last().messageText, QStringLiteral("Could not open the folder."));
  EXPECT_TRUE(alerts.shown.last().informativeText.endsWith(QStringLiteral("\n\n") + folder.path()));
  // A folder that is gone is told at once.
  EXPECT_FALSE(browser.openFolder(folder.path() + QStringLiteral("/gone")));
  ASSERT_EQ(alerts.shown.size(), 3);
  EXPECT_EQ(alerts.shown.last().messageText, QStringLiteral("Could not open the folder."));

  // A task link's failure goes to the console only.
  test::ConsoleCapture console;
  EXPECT_TRUE(opener.openQuietly(QUrl(QStringLiteral("omnifocus:///task/x"))));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return console.contains(QStringLiteral("No application opened omnifocus")); }, 10000));
  QCoreApplication::processEvents();
  EXPECT_EQ(alerts.shown.size(), 3);
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

namespace {

// Runs `act` on the folder panel once it shows; a panel still open after ten
// seconds is cancelled.
std::optional<QString> chooseFolder(const QString& startFolder,
                                    const std::function<void(QFileDialog&)>& act) {
  QTimer poll;
  QElapsedTimer waited;
  waited.start();
  bool acted = false;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    if (!acted) {
      acted = true;
      act(*dialog);
    } else if (waited.elapsed() > 10000) {
      dialog->reject();
    }
  });
  poll.start(10);
  FilePanelRequest request;
  request.title = QStringLiteral("Locate Dropbox Folder");
  request.choosesFolders = true;
  request.startFolder = startFolder;
  return QFileDialogPanelPresenter().openPanel(request);
}

void clickAccept(QFileDialog& dialog) {
  for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
    if (dialog.findChild<QDialogButtonBox*>()->buttonRole(button) == QDialogButtonBox::AcceptRole)
      QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

TEST(FilePanelPresenter, AFolderPanelAnswersTheFolderTypedOrPicked) {
  QTemporaryDir root;
  const QString parent = root.path() + QStringLiteral("/a b");
  const QString folder = parent + QStringLiteral("/My Dropbox");
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(QDir().mkpath(parent + QStringLiteral("/My Other")));

  // Typed into the field (the dialog's completion selects folders on the way),
  // then Return or the accepting button.
  const struct {
    QString typed;
    bool byReturn;
  } cases[] = {{folder, true}, {folder, false}, {QStringLiteral("a b/My Dropbox"), true}};
  for (const auto& typed : cases) {
    SCOPED_TRACE(
        (typed.typed + QString::fromLatin1(typed.byReturn ? " Return" : " OK")).toStdString());
    EXPECT_EQ(chooseFolder(root.path(),
                           [&](QFileDialog& dialog) {
                             auto* edit =
                                 dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                             QTest::keyClicks(edit, typed.typed);
                             if (typed.byReturn)
                               QTest::keyClick(edit, Qt::Key_Return);
                             else
                               clickAccept(dialog);
                           }),
              folder)
        << "typed";
  }

  // Typed, then picked with the mouse: the pick.
  EXPECT_EQ(
      chooseFolder(
          parent,
          [&](QFileDialog& dialog) {
            QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), parent);
            auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
            QModelIndex row;
            ASSERT_TRUE(QTest::qWaitFor([&] {
              const QModelIndexList found =
                  list->model()->match(list->model()->index(0, 0, list->rootIndex()),
                                       Qt::DisplayRole, QStringLiteral("My Dropbox"));
              row = found.value(0);
              return row.isValid();
            }));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
            clickAccept(dialog);
          }),
      folder);
}
