// An append that is killed at any moment leaves the day's package either as
// it was or with the new entry: never damaged, never half written.
#include "engine/BackingStoreDescriptor.h"
#include "engine/BackingStoreManager.h"
#include "engine/DailyNamingStrategy.h"
#include "platform/richtext/RichText.h"
#include "platform/richtext/RtfInPlaceAppend.h"
#include "platform/richtext/RtfdPackage.h"

#include "support/TestClock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kr;

namespace {

void killSelf(int) { ::kill(::getpid(), SIGKILL); }

// Appends in a loop until a timer set at `microseconds` kills the process.
[[noreturn]] void appendUntilKilled(BackingStoreDescriptor& store, const RichText& entry,
                                    long microseconds) {
  std::signal(SIGALRM, killSelf);
  itimerval timer{};
  timer.it_value.tv_sec = microseconds / 1000000;
  timer.it_value.tv_usec = microseconds % 1000000;
  ::setitimer(ITIMER_REAL, &timer, nullptr);
  for (;;)
    BackingStoreManager::sharedManager().append(entry, store);
}

TEST(LogAppendCrashTest, KilledAppendLeavesTheOldOrTheNewPackage) {
  QTemporaryDir dir;
  test::TestClock clock;
  BackingStoreManager::sharedManager().setMachineIdentifierForTesting(QStringLiteral("abc123"));
  BackingStoreDescriptor store;
  store.setFolderPath(dir.path());
  store.setRoot(QStringLiteral("System Log"));
  store.setNamingStrategy(std::make_unique<DailyNamingStrategy>());
  store.finishInitialization();
  const QString path = store.getPathToCurrentFile();

  CharFormat bold;
  bold.bold = true;
  RichText entry(QStringLiteral("#TimeSlice\n"), bold);
  entry.append(QStringLiteral("0E4A3C1B-0000-4000-8000-000000000000\n#objective\n") +
               QString(300, QChar(u'\u00e9')) + u'\n');
  const QString entryText = entry.plainText();

  std::mt19937 random(20201207);
  qsizetype entries = 0;
  int roundsThatWrote = 0;
  int roundsCutAfterTheEnd = 0;
  for (int round = 0; round < 40; ++round) {
    // Time one append here, then let the child die anywhere within about
    // three of them (every fourth round: thirty, so that on a busy machine
    // some children still finish appends before they die): early, in the
    // middle or at the very end of a write.
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(BackingStoreManager::sharedManager().append(entry, store));
    ++entries;
    const long oneAppend = std::max<long>(50, long(timer.nsecsElapsed() / 1000));
    std::uniform_int_distribution<long> delay(1, (round % 4 == 3 ? 30 : 3) * oneAppend);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
      appendUntilKilled(store, entry, delay(random));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "round " << round;

    const RtfdPackage::ReadResult read = RtfdPackage::read(path);
    ASSERT_EQ(read.status, RtfdPackage::Status::Ok) << read.error.toStdString();
    ASSERT_TRUE(read.wellFormed) << "round " << round;
    const qsizetype now = read.text.plainText().count(QStringLiteral("#TimeSlice\n"));
    ASSERT_EQ(read.text.plainText(), entryText.repeated(now)) << "round " << round;
    ASSERT_GE(now, entries) << "round " << round;
    if (now > entries)
      ++roundsThatWrote;
    // A kill between the tail and the brace leaves text after the end,
    // which reads as nothing; the next append's tail takes its place.
    QFile text(path + QStringLiteral("/TXT.rtf"));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QByteArray bytes = text.readAll();
    const auto plan = RtfInPlaceAppend::plan(bytes, entry);
    ASSERT_TRUE(plan) << "round " << round;
    if (plan->size < bytes.size())
      ++roundsCutAfterTheEnd;
    entries = now;
  }
  // How many children finished an append before they died depends on the
  // machine's load; every round above checked the package whatever it was.
  RecordProperty("roundsThatWrote", roundsThatWrote);
  RecordProperty("roundsCutAfterTheEnd", roundsCutAfterTheEnd);

  // The next append puts right whatever a killed one left beside the package.
  ASSERT_TRUE(BackingStoreManager::sharedManager().append(entry, store));
  EXPECT_EQ(RtfdPackage::read(path).text.plainText(), entryText.repeated(entries + 1));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QFileInfo(path).fileName()});
  BackingStoreManager::sharedManager().setMachineIdentifierForTesting({});
}

} // namespace
