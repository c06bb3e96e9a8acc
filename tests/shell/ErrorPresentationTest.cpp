// The errors that go through the program's error presentation: the CSV
// export's failed write and the Dropbox folder that cannot be made.
#include "shell/ApplicationShell.h"
#include "shell/DropboxManager.h"
#include "shell/MainController.h"
#include "shell/StandardHooks.h"

#include "platform/QnLog.h"
#include "platform/services/ErrorPresentation.h"
#include "platform/services/FilePanelPresenter.h"
#include "platform/settings/UserDefaults.h"

#include "LaunchedMachine.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace kr;

namespace {

const QString kPresented = QStringLiteral("didPresentErrorWithRecovery called!");

struct Logging {
  Logging() { QnLog::setOn(true); }
  ~Logging() { QnLog::setOn(was); }
  bool was = QnLog::isOn();
};

TEST(ErrorPresentation, TheExportsFailedWriteAndTheDropboxFolderErrorReachTheMainController) {
  test::LaunchedMachine m;
  TestFilePanelPresenter panels;
  FilePanelPresenter::install(&panels);
  ShellContext context = m.context();
  StandardHooks::installStatisticsHooks(context.hooks);
  {
    ApplicationShell shell(std::move(context));
    shell.launch();
    ASSERT_TRUE(ErrorPresentation::isInstalled());
    const Logging logging;
    test::ConsoleCapture console;

    // A folder stands where the file should go.
    QTemporaryDir folder;
    panels.answer = folder.path();
    shell.mainController().tryToPerform(QStringLiteral("exportAsCSV"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m.alerts.shown.isEmpty(); }, 10000));
    ASSERT_EQ(m.alerts.shown.size(), 1);
    EXPECT_EQ(m.alerts.shown.last().messageText, QStringLiteral("The log could not be exported."));
    EXPECT_EQ(console.lines().filter(kPresented).size(), 1);

    // A file stands where the Dropbox folder should be made.
    UserDefaults::standard().setValue(QStringLiteral("dropboxLocation"), folder.path());
    QFile blocker(folder.path() + QStringLiteral("/Korvane-R"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m.alerts.answer = 0;
    DropboxManager dropbox(UserDefaults::standard());
    EXPECT_FALSE(dropbox.configureForDropbox());
    ASSERT_EQ(m.alerts.shown.size(), 3); // the question, then the error
    EXPECT_TRUE(m.alerts.shown.last().messageText.contains(blocker.fileName()));
    EXPECT_EQ(m.alerts.shown.last().style, Alert::Style::critical);
    EXPECT_EQ(console.lines().filter(kPresented).size(), 2);

    // An error that recovers is shown; one that cannot is not.
    int attempts = 0;
    auto attempt = [&](bool recovers) {
      return [&attempts, recovers](int option) {
        EXPECT_EQ(option, 0);
        ++attempts;
        return recovers;
      };
    };
    EXPECT_FALSE(shell.mainController().willPresentError(
        {{QStringLiteral("Recovered"), {}, {}}, attempt(true)}));
    EXPECT_FALSE(shell.mainController().willPresentError(
        {{QStringLiteral("Lost"), {}, {}}, attempt(false)}));
    EXPECT_EQ(attempts, 2);
    ASSERT_EQ(m.alerts.shown.size(), 4);
    EXPECT_EQ(m.alerts.shown.last().messageText, QStringLiteral("Recovered"));
    EXPECT_EQ(m.alerts.shown.last().buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(console.lines().filter(kPresented).size(), 3);
  }
  EXPECT_FALSE(ErrorPresentation::isInstalled());
  StandardHooks::removeStatisticsHooks();
  FilePanelPresenter::install(nullptr);
  UserDefaults::standard().remove(QStringLiteral("dropboxLocation"));
}

} // namespace
