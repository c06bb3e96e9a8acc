#include "engine/Logger.h"
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/Clock.h"
#include "engine/DataModel.h"
#include "platform/BundleInfo.h"
#include "platform/files/SupportPaths.h"
#include "platform/settings/UserDefaults.h"

#include "support/EditionNameScope.h"
#include "support/TestClock.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace kr;

namespace {

class LoggerTest : public ::testing::Test {
protected:
  LoggerTest() : defaults(dir.filePath(QStringLiteral("s.conf"))) {}
  QTemporaryDir dir;
  UserDefaults defaults;
  DataModel model;
};

TEST_F(LoggerTest, LogFolderFollowsTheDropboxSettings) {
  Logger logger(defaults, model);
  const QString local = SupportPaths::supportFolder() + QStringLiteral("/System Logs");
  EXPECT_EQ(logger.systemLogBackingStoreDesc().folderPath(), local);
  EXPECT_EQ(logger.systemLogBackingStoreDesc().root(), QStringLiteral("System Log"));
  EXPECT_TRUE(QFileInfo(local).isDir());

  defaults.setValue(QStringLiteral("dropboxSync"), true);
  defaults.setValue(QStringLiteral("dropboxLocation"), QStringLiteral("/Users/a/Dropbox"));
  EXPECT_EQ(logger.logFolderFromSettings(),
            QStringLiteral("/Users/a/Dropbox/Korvane-R/System Logs"));

  // A stored "~" means the home folder; the store is rebuilt on request.
  defaults.setValue(QStringLiteral("dropboxLocation"), QStringLiteral("~/Dropbox/"));
  const auto before = logger.systemLogBackingStore();
  QSignalSpy rebuilt(&logger, &Logger::systemLogBackingStoreChanged);
  logger.updateLogFileDescriptors();
  const QString dropbox =
      SupportPaths::homeFolder() + QStringLiteral("/Dropbox/Korvane-R/System Logs");
  EXPECT_EQ(rebuilt.count(), 1);
  EXPECT_EQ(logger.systemLogBackingStoreDesc().folderPath(), dropbox);
  EXPECT_TRUE(QFileInfo(dropbox).isDir());
  EXPECT_EQ(before->folderPath(), local); // a reader holding the old store still can use it
}

// Built as "Korvane-C", the logs live in that edition's folders, local and
// in Dropbox, where its Dropbox manager moves them.
TEST_F(LoggerTest, TheSiblingEditionLogsUnderItsOwnName) {
  std::optional<test::EditionNameScope> edition(std::in_place, QStringLiteral("Korvane-C"));
  Logger logger(defaults, model);
  const QString data = QFileInfo(SupportPaths::supportFolder()).path();
  EXPECT_EQ(logger.systemLogBackingStoreDesc().folderPath(),
            data + QStringLiteral("/Korvane-C/System Logs"));
  defaults.setValue(QStringLiteral("dropboxSync"), true);
  defaults.setValue(QStringLiteral("dropboxLocation"), QStringLiteral("~/Dropbox/"));
  logger.updateLogFileDescriptors();
  EXPECT_EQ(logger.systemLogBackingStoreDesc().folderPath(),
            SupportPaths::homeFolder() + QStringLiteral("/Dropbox/Korvane-C/System Logs"));
  edition.reset();
  EXPECT_EQ(logger.logFolderFromSettings(),
            SupportPaths::homeFolder() + QStringLiteral("/Dropbox/Korvane-R/System Logs"));
}

TEST_F(LoggerTest, LocalizedDateTextsFollowTheUserLocaleAndStyles) {
  using Style = Logger::DateFormatterStyle;
  const QDateTime evening(QDate(2020, 3, 7), QTime(21, 5, 9), Qt::LocalTime);
  QStringList texts;
  for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                QLocale(QLocale::German, QLocale::Germany)}) {
    QLocale::setDefault(locale);
    for (const auto& [date, time] :
         {std::pair{Style::shortStyle, Style::shortStyle}, std::pair{Style::medium, Style::medium},
          std::pair{Style::longStyle, Style::none}, std::pair{Style::full, Style::none},
          std::pair{Style::none, Style::shortStyle}, std::pair{Style::none, Style::none}})
      texts << Logger::localizedStringFromDate(evening, date, time);
  }
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(texts, (QStringList{
                       // en_US
                       QStringLiteral("3/7/20, 9:05 PM"),
                       QStringLiteral("Mar 7, 2020, 9:05:09 PM"),
                       QStringLiteral("March 7, 2020"),
                       QStringLiteral("Saturday, March 7, 2020"),
                       QStringLiteral("9:05 PM"),
                       QString(),
                       // de_DE
                       QStringLiteral("07.03.20, 21:05"),
                       QString::fromUtf8("7. M\xc3\xa4rz 2020, 21:05:09"),
                       QString::fromUtf8("7. M\xc3\xa4rz 2020"),
                       QString::fromUtf8("Samstag, 7. M\xc3\xa4rz 2020"),
                       QStringLiteral("21:05"),
                       QString(),
                   }));
}

TEST_F(LoggerTest, WorkedSecondsCountCallsAndRememberTheFirstAndLastSecond) {
  test::TestClock clock(600000000.0);
  Logger logger(defaults, model);
  EXPECT_EQ(logger.startDate(), Logger::distantPast());
  logger.incrementActualSecondsWorked();
  EXPECT_EQ(logger.startDate(), Clock::dateFromReferenceSeconds(599999999.0));
  clock.set(600000100.0);
  logger.incrementActualSecondsWorked();
  logger.incrementActualSecondsWorked();
  EXPECT_EQ(logger.actualSecondsWorked(), 3);
  EXPECT_EQ(logger.startDate(), Clock::dateFromReferenceSeconds(599999999.0));
  EXPECT_EQ(logger.endDate(), Clock::dateFromReferenceSeconds(600000100.0));
}

TEST_F(LoggerTest, LogDatesAreWrittenAndReadInOneFixedForm) {
  const QDateTime morning(QDate(2020, 3, 7), QTime(9, 5), Qt::LocalTime);
  EXPECT_EQ(Logger::formatDateForSystemLog(morning), QStringLiteral("2020-03-07 09:05:00"));
  EXPECT_EQ(Logger::dateFromSystemLogString(QStringLiteral("2020-03-07 09:05:00")), morning);
  EXPECT_EQ(Logger::dateFromSystemLogString(QStringLiteral("7 March 2020")), Logger::distantPast());
  EXPECT_EQ(Logger::dateFromSystemLogString(QString()), Logger::distantPast());

  // The user's locale does not change the written form.
  QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
  EXPECT_EQ(Logger::formatDateForSystemLog(morning), QStringLiteral("2020-03-07 09:05:00"));
  QLocale::setDefault(QLocale::c());
}

TEST_F(LoggerTest, FocusWordsAndDurationTexts) {
  EXPECT_EQ(Logger::concentrationLevelStringForTag(0), QStringLiteral("distracted"));
  EXPECT_EQ(Logger::concentrationLevelStringForTag(1), QStringLiteral("good"));
  EXPECT_EQ(Logger::concentrationLevelStringForTag(2), QStringLiteral("highly focused"));
  EXPECT_EQ(Logger::concentrationLevelStringForTag(3), QStringLiteral("experienced flow"));
  EXPECT_EQ(Logger::concentrationLevelStringForTag(7), QStringLiteral("undefined"));
  EXPECT_EQ(Logger::concentrationLevelStringForTag(-1), QStringLiteral("undefined"));

  EXPECT_EQ(Logger::durationStringForTimeInterval(3661),
            QStringLiteral("1 hour 1 minute 1 second"));
  EXPECT_EQ(Logger::durationStringForTimeInterval(7260), QStringLiteral("2 hours 1 minute"));
  EXPECT_EQ(Logger::durationStringForTimeInterval(59), QStringLiteral("59 seconds"));
  EXPECT_EQ(Logger::durationStringForTimeInterval(0), QStringLiteral("0 seconds"));
  EXPECT_EQ(Logger::durationStringForTimeInterval(0.7), QStringLiteral("0 seconds"));
}

} // namespace
